#pragma once
// Hands the mouse presses, moves and releases of a widget to callbacks, with
// the point in that widget's own coordinates.
#include <QObject>
#include <QPoint>
#include <functional>

class QWidget;

struct MouseHandlers {
  std::function<void(Qt::MouseButton button, QPoint point)> down;
  std::function<void(Qt::MouseButtons buttons, QPoint point)> move;
  std::function<void(Qt::MouseButton button, QPoint point)> up;
};

// Installs handlers on widget (the relay is owned by widget).
void relay_mouse(QWidget* widget, MouseHandlers handlers);

class MouseRelay : public QObject {
  Q_OBJECT
 public:
  MouseRelay(QWidget* widget, MouseHandlers handlers);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* widget_;
  MouseHandlers handlers_;
};
