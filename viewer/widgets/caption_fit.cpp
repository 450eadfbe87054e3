#include "viewer/widgets/caption_fit.h"

#include <QAbstractButton>
#include <QLabel>
#include <algorithm>

namespace {

void fit_one(QWidget* control, int right_edge) {
  const int needed = control->sizeHint().width();
  if (control->width() >= needed) return;
  const int room = right_edge - control->x();
  control->resize(std::max(control->width(), std::min(needed, room)), std::max(control->height(), 1));
}

}  // namespace

void fit_captions(QWidget* window) {
  const int right_edge = window->width();
  for (QLabel* label : window->findChildren<QLabel*>()) {
    if (label->wordWrap() || label->text().isEmpty()) continue;
    fit_one(label, label->parentWidget() ? label->parentWidget()->width() : right_edge);
  }
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
    if (button->text().isEmpty()) continue;
    fit_one(button, button->parentWidget() ? button->parentWidget()->width() : right_edge);
  }
}
