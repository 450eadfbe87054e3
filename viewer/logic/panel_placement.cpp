#include "viewer/logic/panel_placement.h"

#include <algorithm>

QPoint kept_inside(QPoint place, QSize panel, QSize area) {
  const int x = std::max(0, std::min(place.x(), area.width() - panel.width()));
  const int y = std::max(0, std::min(place.y(), area.height() - panel.height()));
  return {x, y};
}
