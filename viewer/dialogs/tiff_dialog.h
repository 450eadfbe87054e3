#pragma once
// The TIFF options dialog: compression and, for ZIP, the predictor. It keeps
// its values for the whole run; Cancel restores those it showed when it opened.
#include <QDialog>
#include <QString>
#include <cstdint>

#include "imagelib/image_record.h"

class MessageBoxes;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// Compression list items.
enum TiffCompressionItem : int { CompressionNone = 0, CompressionZip = 1, CompressionMacintosh = 2 };

// The compression kind of an item (-1: no selection) for TiffOptions.
uint8_t tiff_compression_kind(int item_index);
// A predictor text as a 16-bit number: empty or not a number reads as 0;
// larger numbers keep their low 16 bits.
uint16_t predictor_value(const QString& text);

class TTiffDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TTiffDialog(QWidget* parent = nullptr);

  // Runs FormShow, then shows the dialog modally through boxes.
  int ShowModal(MessageBoxes& boxes);

  void DialogCreate();
  void FormShow();
  void CompressionBoxChange();
  void CancelBtnClick();

  // Sets options.compression from the selected item and, for ZIP, the
  // predictor from its edit; other fields stay as they are.
  void apply_to(TiffOptions& options) const;

  QString SavedPredictorText;
  int32_t SavedCompressionIndex = 0;

  QFrame* Bevel1;
  QLabel* Label1;
  QComboBox* CompressionBox;
  QLabel* Label3;
  QLineEdit* PredictorEdit;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void set_predictor_editable(bool editable);
};
