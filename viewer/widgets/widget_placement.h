#pragma once
// Places a child widget at its design position and names it after its
// component, so tests and style sheets can find it by name.
#include <QString>
#include <QWidget>

template <typename Widget>
Widget* place(Widget* widget, const char* name, int left, int top, int width = -1, int height = -1) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->move(left, top);
  if (width > 0) widget->resize(width, height > 0 ? height : widget->sizeHint().height());
  return widget;
}
