#include "viewer/widgets/elided_label.h"

#include <QFontMetrics>

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(false);
  // The label takes the width it is given rather than widening the window.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::setFullText(const QString& text) {
  full_text_ = text;
  setToolTip(text);
  show_fitting_part();
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  show_fitting_part();
}

void ElidedLabel::show_fitting_part() {
  const int room = contentsRect().width() - 2 * margin() - 2 * indent();
  setText(fontMetrics().elidedText(full_text_, Qt::ElideRight, std::max(room, 0)));
}
