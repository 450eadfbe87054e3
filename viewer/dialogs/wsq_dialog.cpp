#include "viewer/dialogs/wsq_dialog.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "viewer/widgets/caption_fit.h"
#include "viewer/widgets/key_filters.h"
#include "viewer/widgets/message_boxes.h"
#include "viewer/widgets/widget_placement.h"
#include "viewer/logic/number_text.h"

TWSQDialog::TWSQDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("WSQDialog");
  setWindowTitle("WSQ Properties");
  setFixedSize(313, 148);
  Bevel1 = place(new QFrame(this), "Bevel1", 8, 6, 297, 99);
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  BitrateLabel = place(new QLabel("Bitrate", this), "BitrateLabel", 13, 16);
  BitrateEdit = place(new QLineEdit("0.75", this), "BitrateEdit", 144, 16, 153, 21);
  ppiLabel = place(new QLabel("Pixels per inch (ppi)", this), "ppiLabel", 13, 46);
  ppiEdit = place(new QLineEdit("500", this), "ppiEdit", 143, 41, 157, 21);
  comment_textLabel = place(new QLabel("Comment text", this), "comment_textLabel", 16, 80);
  comment_textEdit = place(new QLineEdit("Tessaron", this), "comment_textEdit", 144, 72, 153, 21);
  OKBtn = place(new QPushButton("OK", this), "OKBtn", 77, 115, 75, 25);
  CancelBtn = place(new QPushButton("Cancel", this), "CancelBtn", 157, 115, 75, 25);
  OKBtn->setDefault(true);
  install_key_rule(BitrateEdit, decimal_key_allowed);
  install_key_rule(ppiEdit, digit_key_allowed);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &TWSQDialog::CancelBtnClick);
  fit_captions(this);
}

int TWSQDialog::ShowModal(MessageBoxes& boxes) {
  FormShow();
  return boxes.exec_dialog(*this);
}

void TWSQDialog::FormShow() {
  centre_on_screen(*this);
  SavedBitrate = static_cast<double>(parse_real(BitrateEdit->text()));
  SavedPpi = parse_integer(ppiEdit->text());
  SavedComment = comment_textEdit->text();
}

void TWSQDialog::CancelBtnClick() {
  BitrateEdit->setText(shortest_real_text(SavedBitrate));
  ppiEdit->setText(QString::number(SavedPpi));
  comment_textEdit->setText(SavedComment);
  reject();
}

// Escape answers like the Cancel button.
void TWSQDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    CancelBtn->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

void centre_on_screen(QWidget& window) {
  const QScreen* screen = window.screen();
  if (!screen) return;
  const QRect area = screen->geometry();
  window.move((area.width() - window.width()) / 2, (area.height() - window.height()) / 2);
}
