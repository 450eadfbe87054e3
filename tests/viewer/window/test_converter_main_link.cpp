#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

#include <memory>

#include <filesystem>

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/qt_test_application.h"
#include "viewer/window/converter_main_link.h"
#include "viewer/converter/file_format_converter_form.h"
#include "viewer/window/main_window.h"
#include "viewer/widgets/message_boxes.h"

namespace fs = std::filesystem;

namespace {

QString q(const fs::path& path) { return QString::fromStdString(path.string()); }

// The main window and the converter as the program puts them together.
struct ConverterOnMainWindow : ::testing::Test {
  ConverterOnMainWindow()
      : app(test_application()),
        window(boxes, q(dir.path() / "viewer.ini"), QString()),
        link(window),
        converter(link, boxes, IniFile(q(dir.path() / "viewer.ini"))) {
    ConnectConverter(window, converter);
  }
  void bitmap(const fs::path& path, int width, int height) {
    fs::create_directories(path.parent_path());
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(QColor(10, 200, 30));
    ASSERT_TRUE(image.save(q(path), "BMP"));
  }
  void run(const fs::path& input, const fs::path& output, int outputItem, bool subdirectories,
           int inputRow = 2) {
    window.MenuFileConverterClick();
    converter.InputFileFormatsCheckListBox->item(inputRow)->setCheckState(Qt::Checked);
    converter.OutputFileFormatComboBox->setCurrentIndex(outputItem);
    converter.SubdirectoriesCheckBox->setChecked(subdirectories);
    converter.InputDirectoryEdit->setText(q(input));
    converter.OutputDirectoryEdit->setText(q(output));
    converter.StartConversionButton->click();
  }
  fs::path in() const { return dir.path() / "in"; }
  fs::path out() const { return dir.path() / "out"; }

  QApplication& app;
  TempDir dir;
  ScriptedMessageBoxes boxes;
  TMainWSQForm window;
  MainWindowConverterLink link;
  TFileFormatConverterForm converter;
};

}  // namespace

TEST_F(ConverterOnMainWindow, ToolsMenuDisablesTheMainWindowUntilTheConverterCloses) {
  window.MenuFileConverterClick();
  EXPECT_TRUE(converter.isVisible());
  EXPECT_TRUE(window.Unattended);
  EXPECT_FALSE(window.isEnabled());
  converter.CloseButton->click();
  EXPECT_FALSE(converter.isVisible());
  EXPECT_FALSE(window.Unattended);
  EXPECT_TRUE(window.isEnabled());
}

TEST_F(ConverterOnMainWindow, ConvertsAndMirrorsSubdirectories) {
  bitmap(in() / "a.bmp", 7, 5);
  bitmap(in() / "sub" / "b.bmp", 4, 9);
  fs::create_directory(out());
  run(in(), out(), 1, true);
  EXPECT_EQ(QImage(q(out() / "a.bmp")).size(), QSize(7, 5));
  EXPECT_EQ(QImage(q(out() / "sub" / "b.bmp")).size(), QSize(4, 9));
  EXPECT_EQ(window.CurrentFileName, q(in() / "sub" / "b.bmp"));
  EXPECT_TRUE(window.Unattended);
  EXPECT_EQ(converter.ProgressLabel->text(), "100 %");
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ConverterOnMainWindow, WsqOutputShowsItsOptionsOnceForTheRun) {
  bitmap(in() / "a.bmp", 200, 160);
  bitmap(in() / "b.bmp", 120, 130);
  fs::create_directory(out());
  run(in(), out(), 0, false);
  EXPECT_EQ(boxes.dialogs_shown.size(), 1u);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_TRUE(fs::exists(out() / "a.wsq"));
  EXPECT_TRUE(fs::exists(out() / "b.wsq"));
}

TEST_F(ConverterOnMainWindow, UnreadableFileIsReportedAndNotWritten) {
  bitmap(in() / "a.bmp", 7, 5);
  bitmap(in() / "c.bmp", 3, 3);
  fs::create_directory(out());
  run(in(), out(), 5, false);
  ASSERT_TRUE(fs::exists(out() / "a.tga"));
  fs::remove(out() / "a.tga");
  fs::rename(out() / "c.tga", in() / "c.tga");
  write_file_bytes((in() / "b.tga").string(), {0, 0, 2, 0});
  fs::rename(in() / "a.bmp", in() / "a.tga.bmp");
  converter.InputFileFormatsCheckListBox->item(2)->setCheckState(Qt::Unchecked);
  run(in(), out(), 1, false, 14);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Conversion finished");
  EXPECT_TRUE(boxes.shown[0].text.startsWith("1 converted, 1 failed\n" + q(in() / "b.tga") + ": "));
  EXPECT_FALSE(fs::exists(out() / "b.bmp"));
  EXPECT_EQ(QImage(q(out() / "c.bmp")).size(), QSize(3, 3));
  EXPECT_EQ(converter.ProgressLabel->text(), "100 %");
}

TEST_F(ConverterOnMainWindow, ReaderErrorSkipsThatFileAndTheRunGoesOn) {
  bitmap(in() / "a.bmp", 7, 5);
  bitmap(in() / "nested" / "deeper" / "c.bmp", 3, 3);
  write_file_bytes((in() / "nested" / "deeper" / "b.bmp").string(), {'B', 'M', 1, 2});
  fs::create_directory(out());
  run(in(), out(), 1, true);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_TRUE(boxes.shown[0].text.startsWith("2 converted, 1 failed\n" + q(in() / "nested" / "deeper" / "b.bmp")));
  EXPECT_TRUE(fs::exists(out() / "a.bmp"));
  EXPECT_FALSE(fs::exists(out() / "nested" / "deeper" / "b.bmp"));
  EXPECT_EQ(QImage(q(out() / "nested" / "deeper" / "c.bmp")).size(), QSize(3, 3));
  EXPECT_TRUE(converter.StartConversionButton->isEnabled());
  EXPECT_FALSE(converter.StopConversionButton->isEnabled());
}

TEST_F(ConverterOnMainWindow, FailedSaveRaisesNoBoxOfItsOwn) {
  bitmap(in() / "wide.bmp", 3, 2);  // too small for the WSQ encoder
  bitmap(in() / "fine.bmp", 200, 160);
  fs::create_directory(out());
  run(in(), out(), 0, false);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_TRUE(boxes.shown[0].text.startsWith("1 converted, 1 failed\n" + q(in() / "wide.bmp") + ": "));
  EXPECT_TRUE(fs::exists(out() / "fine.wsq"));
  EXPECT_TRUE(converter.StartConversionButton->isEnabled());
}

TEST_F(ConverterOnMainWindow, InputIsNeverOverwrittenByItsOwnConversion) {
  bitmap(in() / "a.bmp", 7, 5);
  const auto before = read_file_bytes((in() / "a.bmp").string());
  run(in(), in(), 1, false);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(read_file_bytes((in() / "a.bmp").string()), before);
}
