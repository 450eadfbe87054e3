#include "viewer/logic/view_mapping.h"

#include <algorithm>
#include <cmath>

namespace {

// The image pixels [first, last) that cover view positions [from, to).
std::pair<int, int> covering(int from, int to, int view, int image, int margin) {
  const double per_view_pixel = static_cast<double>(image) / view;
  const int first = static_cast<int>(std::floor(from * per_view_pixel)) - margin;
  const int last = static_cast<int>(std::ceil(to * per_view_pixel)) + margin;
  return {std::clamp(first, 0, image), std::clamp(last, 0, image)};
}

}  // namespace

SourceSpan visible_source(const QRect& exposed, QSize view, QSize image, int margin) {
  if (exposed.isEmpty() || view.isEmpty() || image.isEmpty()) return {};
  const auto [x0, x1] = covering(exposed.left(), exposed.right() + 1, view.width(), image.width(), margin);
  const auto [y0, y1] = covering(exposed.top(), exposed.bottom() + 1, view.height(), image.height(), margin);
  const double sx = static_cast<double>(view.width()) / image.width();
  const double sy = static_cast<double>(view.height()) / image.height();
  return {QRect(x0, y0, x1 - x0, y1 - y0), QRectF(x0 * sx, y0 * sy, (x1 - x0) * sx, (y1 - y0) * sy)};
}
