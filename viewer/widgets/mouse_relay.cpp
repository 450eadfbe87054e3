#include "viewer/widgets/mouse_relay.h"

#include <QMouseEvent>
#include <QWidget>

void relay_mouse(QWidget* widget, MouseHandlers handlers) {
  widget->setMouseTracking(true);
  widget->installEventFilter(new MouseRelay(widget, std::move(handlers)));
}

MouseRelay::MouseRelay(QWidget* widget, MouseHandlers handlers)
    : QObject(widget), widget_(widget), handlers_(std::move(handlers)) {}

bool MouseRelay::eventFilter(QObject* watched, QEvent* event) {
  if (watched != widget_) return false;
  const auto mouse = [event] { return static_cast<QMouseEvent*>(event); };
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      if (handlers_.down) handlers_.down(mouse()->button(), mouse()->position().toPoint());
      return true;
    case QEvent::MouseMove:
      if (handlers_.move) handlers_.move(mouse()->buttons(), mouse()->position().toPoint());
      return true;
    case QEvent::MouseButtonRelease:
      if (handlers_.up) handlers_.up(mouse()->button(), mouse()->position().toPoint());
      return true;
    default:
      return false;
  }
}
