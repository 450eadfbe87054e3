#include "viewer/dialogs/tiff_dialog.h"

#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "viewer/widgets/caption_fit.h"
#include "viewer/widgets/key_filters.h"
#include "viewer/widgets/message_boxes.h"
#include "viewer/widgets/widget_placement.h"
#include "viewer/dialogs/wsq_dialog.h"

uint8_t tiff_compression_kind(int item_index) {
  switch (item_index) {
    case CompressionZip: return 13;        // Deflate
    case CompressionMacintosh: return 9;   // PackBits
    default: return 0;                     // none
  }
}

uint16_t predictor_value(const QString& text) {
  uint16_t value = 0;
  for (const QChar c : text) {
    if (c < u'0' || c > u'9') return 0;
    value = static_cast<uint16_t>(value * 10 + (c.unicode() - u'0'));
  }
  return value;
}

TTiffDialog::TTiffDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("TiffDialog");
  setWindowTitle("TIFF Properties");
  setFixedSize(313, 109);
  Bevel1 = place(new QFrame(this), "Bevel1", 8, 6, 297, 63);
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Label1 = place(new QLabel("Compression", this), "Label1", 13, 16);
  CompressionBox = place(new QComboBox(this), "CompressionBox", 143, 13, 157);
  CompressionBox->addItems({"None", "ZIP", "Macintosh"});
  Label3 = place(new QLabel("Predictor", this), "Label3", 13, 46);
  PredictorEdit = place(new QLineEdit(this), "PredictorEdit", 143, 41, 157, 21);
  OKBtn = place(new QPushButton("OK", this), "OKBtn", 77, 75, 75, 25);
  CancelBtn = place(new QPushButton("Cancel", this), "CancelBtn", 157, 75, 75, 25);
  OKBtn->setDefault(true);
  install_key_rule(PredictorEdit, digit_key_allowed);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &TTiffDialog::CancelBtnClick);
  // Only a choice the user makes runs the change handler, not one made from code.
  connect(CompressionBox, &QComboBox::activated, this, &TTiffDialog::CompressionBoxChange);
  DialogCreate();
  fit_captions(this);
}

int TTiffDialog::ShowModal(MessageBoxes& boxes) {
  FormShow();
  return boxes.exec_dialog(*this);
}

void TTiffDialog::DialogCreate() {
  CompressionBox->setCurrentIndex(CompressionNone);
  set_predictor_editable(false);
  PredictorEdit->setText("2");
}

void TTiffDialog::FormShow() {
  centre_on_screen(*this);
  SavedPredictorText = PredictorEdit->text();
  SavedCompressionIndex = CompressionBox->currentIndex();
}

void TTiffDialog::CompressionBoxChange() {
  const int item = CompressionBox->currentIndex();
  set_predictor_editable(item == CompressionZip || item == CompressionMacintosh);
}

void TTiffDialog::CancelBtnClick() {
  CompressionBox->setCurrentIndex(SavedCompressionIndex);
  PredictorEdit->setText(SavedPredictorText);
  reject();
}

void TTiffDialog::apply_to(TiffOptions& options) const {
  const int item = CompressionBox->currentIndex();
  options.compression = tiff_compression_kind(item);
  if (item == CompressionZip) options.predictor = predictor_value(PredictorEdit->text());
}

void TTiffDialog::set_predictor_editable(bool editable) {
  PredictorEdit->setReadOnly(!editable);
  PredictorEdit->setEnabled(editable);
  QPalette palette = PredictorEdit->palette();
  palette.setColor(QPalette::Base, editable ? this->palette().color(QPalette::Base)
                                            : this->palette().color(QPalette::Button));
  PredictorEdit->setPalette(palette);
}

// Escape answers like the Cancel button.
void TTiffDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    CancelBtn->click();
    return;
  }
  QDialog::keyPressEvent(event);
}
