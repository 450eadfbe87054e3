// The save flow: output names, option dialogs, error boxes and files that
// reopen at the size they were saved with.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include "tests/support/files.h"
#include "tests/viewer/test_main_window_helpers.h"
#include "viewer/pictures/save_formats.h"
#include "viewer/dialogs/tiff_dialog.h"
#include "viewer/dialogs/wsq_dialog.h"

TEST(OutputName, TheFilterDecidesTheExtension) {
  EXPECT_EQ(OutputName("/data/scan.bmp", SaveWsq), "/data/scan.wsq");
  EXPECT_EQ(OutputName("/data/scan", SaveWsq), "/data/scan.wsq");
  EXPECT_EQ(OutputName("/data/v1.2/scan", SaveTiff), "/data/v1.2/scan.tif");
  EXPECT_EQ(OutputName("/data/scan.final.png", SaveJpeg), "/data/scan.final.jpg");
  EXPECT_EQ(OutputName("scan.", SaveSgiRgb), "scan.rgb");
  EXPECT_EQ(OutputName("scan", SaveTarga), "scan.tga");
  EXPECT_EQ(OutputName("scan", SaveBmp), "scan.bmp");
  EXPECT_EQ(OutputName("scan", SavePng), "scan.png");
}

class SaveFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test_image(120, 90).save(window.file("source.png")));
    form().ReadFromOpenDialog = true;
    form().OpenDialogFileName = window.file("source.png");
    form().OpenPicture1Accept();
    ASSERT_TRUE(window.boxes.shown.empty());
  }
  TMainWSQForm& form() { return *window.form; }

  // Saves as if the user accepted the save dialog with name and filter.
  void save(const QString& name, int filter_index) {
    form().SavePicture1SavePictureDialogShow();
    form().SaveDialogFileName = name;
    form().SaveDialogFilterIndex = filter_index;
    form().SavePicture1Accept();
  }

  // The size the file reopens at in the window, or an empty size with the box text.
  QSize reopen(const QString& name) {
    window.boxes.shown.clear();
    form().ReadFromOpenDialog = true;
    form().OpenDialogFileName = name;
    form().OpenPicture1Accept();
    if (!window.boxes.shown.empty()) {
      ADD_FAILURE() << window.boxes.shown[0].text.toStdString();
      return QSize();
    }
    return QSize(form().ImageWidth, form().ImageHeight);
  }

  WindowUnderTest window;
};

TEST_F(SaveFlow, EveryFormatReopensAtTheSameSize) {
  for (int format = SaveWsq; format <= SaveSgiRgb; ++format) {
    SCOPED_TRACE(format);
    save(window.file("out.typed"), format);
    const QString written = window.file("out") + save_format_extension(format);
    ASSERT_TRUE(QFile::exists(written)) << (window.boxes.shown.empty() ? "" : window.boxes.shown[0].text.toStdString());
    EXPECT_EQ(reopen(written), QSize(120, 90));
    reopen(window.file("source.png"));
  }
  EXPECT_FALSE(QFile::exists(window.file("out.typed")));
}

TEST_F(SaveFlow, BmpIsUncompressed24Bit) {
  save(window.file("plain"), SaveBmp);
  const std::vector<uint8_t> bytes = read_file_bytes(window.file("plain.bmp").toStdString());
  ASSERT_GT(bytes.size(), 54u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[28], 24);  // bits per pixel
  EXPECT_EQ(bytes[30] | bytes[31] | bytes[32] | bytes[33], 0);  // no compression
}

TEST_F(SaveFlow, SavingChangesNeitherTheViewNorTheLine) {
  const QString line = form().StatusText();
  const ViewRect view = form().ImageRect();
  save(window.file("copy"), SavePng);
  EXPECT_EQ(form().StatusText(), line);
  EXPECT_EQ(form().ImageRect(), view);
  EXPECT_EQ(form().CurrentFileName, window.file("source.png"));
}

TEST_F(SaveFlow, WsqDialogCancelRestoresItsValuesAndTheSaveGoesOn) {
  window.boxes.dialog_scripts.push_back([](QDialog& dialog) {
    auto& wsq = static_cast<TWSQDialog&>(dialog);
    wsq.BitrateEdit->setText("1.5");
    wsq.ppiEdit->setText("1000");
    wsq.CancelBtn->click();
  });
  save(window.file("cancelled"), SaveWsq);
  ASSERT_EQ(window.boxes.dialogs_shown.size(), 1u);
  EXPECT_EQ(window.boxes.dialogs_shown[0], "WSQDialog");
  EXPECT_EQ(form().WSQDialog().BitrateEdit->text(), "0.75");
  EXPECT_EQ(form().LastImageInfo.bitrate, 0.75);
  EXPECT_EQ(form().LastImageInfo.ppi, 500);
  EXPECT_EQ(form().LastImageInfo.comment, "Tessaron");
  EXPECT_TRUE(QFile::exists(window.file("cancelled.wsq")));
}

TEST_F(SaveFlow, WsqDialogOkKeepsTheEdits) {
  window.boxes.dialog_scripts.push_back([](QDialog& dialog) {
    auto& wsq = static_cast<TWSQDialog&>(dialog);
    wsq.BitrateEdit->setText("2.25");
    wsq.ppiEdit->setText("1000");
    wsq.comment_textEdit->setText("left thumb");
    wsq.OKBtn->click();
  });
  save(window.file("kept"), SaveWsq);
  EXPECT_EQ(form().LastImageInfo.bitrate, 2.25);
  EXPECT_EQ(form().LastImageInfo.ppi, 1000);
  EXPECT_EQ(form().LastImageInfo.comment, "left thumb");
  reopen(window.file("kept.wsq"));
  EXPECT_TRUE(form().StatusText().endsWith(", dpi = 1000, depth = 8, Comments: left thumb"))
      << form().StatusText().toStdString();
}

TEST_F(SaveFlow, UnattendedSavesShowNoDialog) {
  EXPECT_TRUE(form().SaveForConversion(window.file("batch"), SaveWsq).ok());
  EXPECT_TRUE(form().SaveForConversion(window.file("batch"), SaveTiff).ok());
  EXPECT_TRUE(window.boxes.dialogs_shown.empty());
  EXPECT_TRUE(QFile::exists(window.file("batch.wsq")));
  EXPECT_TRUE(QFile::exists(window.file("batch.tif")));
}

TEST_F(SaveFlow, BadBitrateTextStopsTheSave) {
  form().WSQDialog().BitrateEdit->setText(".");
  save(window.file("never"), SaveWsq);
  ASSERT_EQ(window.boxes.shown.size(), 1u);
  EXPECT_EQ(window.boxes.shown[0].caption, "WSQ file viewer");
  EXPECT_TRUE(window.boxes.dialogs_shown.empty());
  EXPECT_FALSE(QFile::exists(window.file("never.wsq")));
}

TEST_F(SaveFlow, TiffZipSendsThePredictorAndNoneKeepsIt) {
  window.boxes.dialog_scripts.push_back([](QDialog& dialog) {
    auto& tiff = static_cast<TTiffDialog&>(dialog);
    tiff.CompressionBox->setCurrentIndex(CompressionZip);
    tiff.CompressionBoxChange();
    tiff.PredictorEdit->setText("2");
    tiff.OKBtn->click();
  });
  save(window.file("zip"), SaveTiff);
  EXPECT_EQ(form().LastTiffOptions.compression, 13);
  EXPECT_EQ(form().LastTiffOptions.predictor, 2);
  EXPECT_TRUE(QFile::exists(window.file("zip.tif")));
  window.boxes.dialog_scripts.push_back([](QDialog& dialog) {
    auto& tiff = static_cast<TTiffDialog&>(dialog);
    tiff.CompressionBox->setCurrentIndex(CompressionNone);
    tiff.CompressionBoxChange();
    tiff.OKBtn->click();
  });
  save(window.file("plain"), SaveTiff);
  EXPECT_EQ(form().LastTiffOptions.compression, 0);
  EXPECT_EQ(form().LastTiffOptions.predictor, 2);
  EXPECT_EQ(reopen(window.file("zip.tif")), QSize(120, 90));
}

TEST_F(SaveFlow, TiffCancelRestoresTheChoice) {
  window.boxes.dialog_scripts.push_back([](QDialog& dialog) {
    auto& tiff = static_cast<TTiffDialog&>(dialog);
    tiff.CompressionBox->setCurrentIndex(CompressionMacintosh);
    tiff.CompressionBoxChange();
    tiff.PredictorEdit->setText("7");
    tiff.CancelBtn->click();
  });
  save(window.file("restored"), SaveTiff);
  EXPECT_EQ(form().TiffDialog().CompressionBox->currentIndex(), CompressionNone);
  EXPECT_EQ(form().TiffDialog().PredictorEdit->text(), "2");
  EXPECT_EQ(form().LastTiffOptions.compression, 0);
}

TEST_F(SaveFlow, LibraryRefusalShowsSaveError) {
  save(window.file("missing-folder/out"), SavePng);
  ASSERT_EQ(window.boxes.shown.size(), 1u);
  EXPECT_EQ(window.boxes.shown[0].caption, "Save Error");
  EXPECT_EQ(window.boxes.shown[0].flags, MessageBoxError);
  EXPECT_EQ(window.boxes.shown[0].text, QString::fromLatin1(get_last_error_message()));
  const FlowOutcome outcome = form().SaveForConversion(window.file("missing-folder/out"), SaveTarga);
  EXPECT_EQ(outcome.kind, FlowOutcome::Kind::Failed);
  EXPECT_EQ(outcome.caption, "Save Error");
  EXPECT_EQ(window.boxes.shown.size(), 1u);
}

TEST_F(SaveFlow, BmpAndJpegFailuresAreReportedAndLeaveNoFile) {
  save(window.file("missing-folder/out"), SaveBmp);
  save(window.file("missing-folder/out"), SaveJpeg);
  ASSERT_EQ(window.boxes.shown.size(), 2u);
  EXPECT_EQ(window.boxes.shown[0].caption, "WSQ file viewer");
  EXPECT_TRUE(window.boxes.shown[1].text.contains("out.jpg"));
  EXPECT_FALSE(QDir(window.file("missing-folder")).exists());
}

TEST_F(SaveFlow, AFailedSaveKeepsTheExistingFile) {
  QFile existing(window.file("keep.png"));
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.write("old contents");
  existing.close();
  form().WorkingBitmap = QImage();
  save(window.file("keep"), SavePng);
  EXPECT_EQ(window.boxes.shown.size(), 1u);
  ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
  EXPECT_EQ(existing.readAll(), "old contents");
}
