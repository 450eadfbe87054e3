#pragma once
// The WSQ options dialog: bitrate, resolution and comment of a WSQ save. It
// keeps its values for the whole run; Cancel restores those it showed when
// it opened.
#include <QDialog>
#include <QString>
#include <cstdint>

class MessageBoxes;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class TWSQDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TWSQDialog(QWidget* parent = nullptr);

  // Runs FormShow, then shows the dialog modally through boxes. FormShow
  // throws ToolkitError when the bitrate or ppi text is not a number; the
  // dialog is then not shown.
  int ShowModal(MessageBoxes& boxes);

  void FormShow();
  void CancelBtnClick();

  double SavedBitrate = 0;
  int32_t SavedPpi = 0;
  QString SavedComment;

  QFrame* Bevel1;
  QLabel* BitrateLabel;
  QLineEdit* BitrateEdit;
  QLabel* ppiLabel;
  QLineEdit* ppiEdit;
  QLabel* comment_textLabel;
  QLineEdit* comment_textEdit;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

// Centres a top-level window on its screen.
void centre_on_screen(QWidget& window);
