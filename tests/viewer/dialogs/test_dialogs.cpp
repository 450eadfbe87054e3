// The WSQ and TIFF option dialogs and the number edits' key rules.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "tests/viewer/test_main_window_helpers.h"
#include "viewer/widgets/key_filters.h"
#include "viewer/dialogs/tiff_dialog.h"
#include "viewer/dialogs/wsq_dialog.h"

TEST(KeyRules, DecimalEdits) {
  EXPECT_TRUE(decimal_key_allowed("1", '.'));
  EXPECT_FALSE(decimal_key_allowed("1.5", '.'));
  EXPECT_FALSE(decimal_key_allowed("1", 'e'));
  EXPECT_FALSE(decimal_key_allowed("1", '-'));
  EXPECT_TRUE(decimal_key_allowed("1", QChar(kBackspace)));
  EXPECT_TRUE(decimal_key_allowed(QString(61, '1'), '1'));   // the 62nd character
  EXPECT_FALSE(decimal_key_allowed(QString(62, '1'), '1'));  // the 63rd
  EXPECT_FALSE(decimal_key_allowed(QString(62, '1'), QChar(kBackspace)));
}

TEST(KeyRules, DigitEdits) {
  EXPECT_TRUE(digit_key_allowed(QString(16, '5'), '5'));   // the 17th digit
  EXPECT_FALSE(digit_key_allowed(QString(17, '5'), '5'));  // the 18th
  EXPECT_FALSE(digit_key_allowed("5", '.'));
  EXPECT_TRUE(digit_key_allowed("5", QChar(kBackspace)));
}

TEST(WsqDialog, StartValuesAndLayout) {
  test_application();
  TWSQDialog dialog;
  EXPECT_EQ(dialog.windowTitle(), "WSQ Properties");
  EXPECT_EQ(dialog.size(), QSize(313, 148));
  EXPECT_EQ(dialog.BitrateEdit->text(), "0.75");
  EXPECT_EQ(dialog.ppiEdit->text(), "500");
  EXPECT_EQ(dialog.comment_textEdit->text(), "Tessaron");
  EXPECT_TRUE(dialog.OKBtn->isDefault());
}

TEST(WsqDialog, TypingFollowsTheKeyRules) {
  test_application();
  TWSQDialog dialog;
  dialog.ppiEdit->clear();
  type_keys(dialog.ppiEdit, "12.5");
  EXPECT_EQ(dialog.ppiEdit->text(), "125");
  dialog.BitrateEdit->clear();
  type_keys(dialog.BitrateEdit, "1.2.5");
  EXPECT_EQ(dialog.BitrateEdit->text(), "1.25");
  dialog.comment_textEdit->clear();
  type_keys(dialog.comment_textEdit, "ab.1");
  EXPECT_EQ(dialog.comment_textEdit->text(), "ab.1");
}

TEST(WsqDialog, CancelRestoresWhatItShowedOnOpening) {
  test_application();
  TWSQDialog dialog;
  ScriptedMessageBoxes boxes;
  boxes.dialog_scripts.push_back([](QDialog& shown) {
    auto& wsq = static_cast<TWSQDialog&>(shown);
    wsq.BitrateEdit->setText("2.5");
    wsq.OKBtn->click();
  });
  EXPECT_EQ(dialog.ShowModal(boxes), QDialog::Accepted);
  boxes.dialog_scripts.push_back([](QDialog& shown) {
    auto& wsq = static_cast<TWSQDialog&>(shown);
    wsq.BitrateEdit->setText("1.5");
    wsq.ppiEdit->setText("1");
    wsq.comment_textEdit->setText("changed");
    wsq.CancelBtn->click();
  });
  EXPECT_EQ(dialog.ShowModal(boxes), QDialog::Rejected);
  EXPECT_EQ(dialog.BitrateEdit->text(), "2.5");
  EXPECT_EQ(dialog.ppiEdit->text(), "500");
  EXPECT_EQ(dialog.comment_textEdit->text(), "Tessaron");
}

TEST(WsqDialog, EscapeActsAsCancel) {
  test_application();
  TWSQDialog dialog;
  dialog.FormShow();
  dialog.BitrateEdit->setText("3");
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&dialog, &escape);
  EXPECT_EQ(dialog.BitrateEdit->text(), "0.75");
}

TEST(TiffDialog, StartsWithNoneAndALockedPredictor) {
  test_application();
  TTiffDialog dialog;
  EXPECT_EQ(dialog.windowTitle(), "TIFF Properties");
  EXPECT_EQ(dialog.CompressionBox->currentIndex(), CompressionNone);
  EXPECT_EQ(dialog.CompressionBox->count(), 3);
  EXPECT_EQ(dialog.CompressionBox->itemText(2), "Macintosh");
  EXPECT_EQ(dialog.PredictorEdit->text(), "2");
  EXPECT_TRUE(dialog.PredictorEdit->isReadOnly());
  EXPECT_FALSE(dialog.PredictorEdit->isEnabled());
}

TEST(TiffDialog, ZipAndMacintoshUnlockThePredictor) {
  test_application();
  TTiffDialog dialog;
  for (const int item : {CompressionZip, CompressionMacintosh}) {
    dialog.CompressionBox->setCurrentIndex(item);
    dialog.CompressionBoxChange();
    EXPECT_TRUE(dialog.PredictorEdit->isEnabled());
    EXPECT_FALSE(dialog.PredictorEdit->isReadOnly());
  }
  dialog.CompressionBox->setCurrentIndex(CompressionNone);
  dialog.CompressionBoxChange();
  EXPECT_FALSE(dialog.PredictorEdit->isEnabled());
}

TEST(TiffDialog, OptionsSentPerChoice) {
  test_application();
  TTiffDialog dialog;
  TiffOptions options;
  options.predictor = 3;
  dialog.PredictorEdit->setText("2");
  dialog.CompressionBox->setCurrentIndex(CompressionMacintosh);
  dialog.apply_to(options);
  EXPECT_EQ(options.compression, 9);
  EXPECT_EQ(options.predictor, 3);
  dialog.CompressionBox->setCurrentIndex(CompressionZip);
  dialog.apply_to(options);
  EXPECT_EQ(options.compression, 13);
  EXPECT_EQ(options.predictor, 2);
  dialog.CompressionBox->setCurrentIndex(-1);
  dialog.apply_to(options);
  EXPECT_EQ(options.compression, 0);
}

TEST(TiffDialog, PredictorTextKeepsItsLow16Bits) {
  EXPECT_EQ(predictor_value(""), 0);
  EXPECT_EQ(predictor_value("2"), 2);
  EXPECT_EQ(predictor_value("65537"), 1);
  EXPECT_EQ(predictor_value("99999999999999999"), static_cast<uint16_t>(99999999999999999ULL));
}

TEST(TiffDialog, CancelRestoresWithoutTheChangeHandler) {
  test_application();
  TTiffDialog dialog;
  ScriptedMessageBoxes boxes;
  boxes.dialog_scripts.push_back([](QDialog& shown) {
    auto& tiff = static_cast<TTiffDialog&>(shown);
    tiff.CompressionBox->setCurrentIndex(CompressionZip);
    tiff.CompressionBoxChange();
    tiff.PredictorEdit->setText("9");
    tiff.CancelBtn->click();
  });
  dialog.ShowModal(boxes);
  EXPECT_EQ(dialog.CompressionBox->currentIndex(), CompressionNone);
  EXPECT_EQ(dialog.PredictorEdit->text(), "2");
  // The predictor edit stays as the change handler last left it.
  EXPECT_TRUE(dialog.PredictorEdit->isEnabled());
}
