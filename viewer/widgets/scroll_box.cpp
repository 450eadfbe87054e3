#include "viewer/widgets/scroll_box.h"

#include <QEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace {

// Sets a bar for content spanning [start, start + length) in a view of size
// view: the value is how far the view has scrolled past the content's start,
// and the range covers every place the content may be scrolled to (and the
// place it is at now). Returns whether the bar is needed.
bool set_bar(QScrollBar* bar, int start, int length, int view) {
  const int value = -start;
  const int minimum = std::min(0, value);
  const int maximum = std::max(length - view, value);
  bar->setRange(minimum, std::max(minimum, maximum));
  bar->setPageStep(std::max(1, view));
  bar->setSingleStep(20);
  bar->setValue(value);
  return start < 0 || start + length > view;
}

}  // namespace

ScrollBox::ScrollBox(QWidget* parent)
    : QFrame(parent),
      horizontal_(new QScrollBar(Qt::Horizontal, this)),
      vertical_(new QScrollBar(Qt::Vertical, this)),
      corner_(new QWidget(this)) {
  horizontal_->hide();
  vertical_->hide();
  // The square between two bars is painted like the window, not left to show the content.
  corner_->setObjectName("ScrollBoxCorner");
  corner_->setAutoFillBackground(true);
  corner_->hide();
  connect(horizontal_, &QScrollBar::valueChanged, this, [this](int value) { scroll_to(Qt::Horizontal, value); });
  connect(vertical_, &QScrollBar::valueChanged, this, [this](int value) { scroll_to(Qt::Vertical, value); });
}

void ScrollBox::setContent(QWidget* content) {
  content_ = content;
  content_->installEventFilter(this);
  update_bars();
}

bool ScrollBox::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == content_ && (type == QEvent::Move || type == QEvent::Resize || type == QEvent::ShowToParent ||
                              type == QEvent::HideToParent))
    update_bars();
  return false;
}

void ScrollBox::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  update_bars();
}

void ScrollBox::wheelEvent(QWheelEvent* event) {
  if (event->modifiers().testFlag(Qt::ControlModifier)) {
    wheel_rest_ += event->angleDelta().y();
    const int notches = wheel_rest_ / 120;
    wheel_rest_ -= notches * 120;
    if (notches != 0) emit zoomWheel(notches, event->position().toPoint());
    event->accept();
    return;
  }
  const QPoint steps = event->angleDelta() / 8 / 15;
  if (vertical_->isVisible() && steps.y() != 0) vertical_->setValue(vertical_->value() - steps.y() * vertical_->singleStep());
  if (horizontal_->isVisible() && steps.x() != 0)
    horizontal_->setValue(horizontal_->value() - steps.x() * horizontal_->singleStep());
  event->accept();
}

void ScrollBox::update_bars() {
  if (!content_ || updating_) return;
  updating_ = true;
  const int bar_width = vertical_->sizeHint().width();
  const int bar_height = horizontal_->sizeHint().height();
  const QRect area = rect();
  const QRect place = content_->isHidden() ? QRect() : content_->geometry();
  // A bar on one side narrows the view of the other, which may need its bar too.
  bool need_horizontal = !place.isEmpty() && (place.left() < 0 || place.right() >= area.width());
  bool need_vertical = !place.isEmpty() && (place.top() < 0 || place.bottom() >= area.height());
  need_horizontal = need_horizontal || (need_vertical && place.right() >= area.width() - bar_width);
  need_vertical = need_vertical || (need_horizontal && place.bottom() >= area.height() - bar_height);
  const int view_width = area.width() - (need_vertical ? bar_width : 0);
  const int view_height = area.height() - (need_horizontal ? bar_height : 0);
  set_bar(horizontal_, place.left(), place.width(), view_width);
  set_bar(vertical_, place.top(), place.height(), view_height);
  horizontal_->setGeometry(area.left(), area.bottom() + 1 - bar_height, view_width, bar_height);
  vertical_->setGeometry(area.right() + 1 - bar_width, area.top(), bar_width, view_height);
  horizontal_->setVisible(need_horizontal);
  vertical_->setVisible(need_vertical);
  corner_->setGeometry(area.right() + 1 - bar_width, area.bottom() + 1 - bar_height, bar_width, bar_height);
  corner_->setVisible(need_horizontal && need_vertical);
  horizontal_->raise();
  vertical_->raise();
  corner_->raise();
  updating_ = false;
}

void ScrollBox::scroll_to(Qt::Orientation orientation, int value) {
  if (updating_ || !content_) return;
  if (orientation == Qt::Horizontal) {
    content_->move(-value, content_->y());
  } else {
    content_->move(content_->x(), -value);
  }
}
