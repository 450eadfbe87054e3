#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/qt_test_application.h"
#include "viewer/converter/converter_link.h"
#include "viewer/converter/file_format_converter_form.h"
#include "viewer/widgets/message_boxes.h"

namespace fs = std::filesystem;

namespace {

struct FakeLink : ConverterLink {
  void SetUnattended(bool on) override { unattended.push_back(on); }
  StepResult ShowSaveOptions(int item) override {
    options.push_back(item);
    return StepResult::Done;
  }
  StepResult OpenForConversion(const QString& path, QString& reason) override {
    opened << path;
    if (onOpen) onOpen();
    if (!path.contains("broken")) return StepResult::Done;
    reason = "Invalid image data";
    return StepResult::Failed;
  }
  StepResult SaveForConversion(const QString& target, int filterIndex, QString&) override {
    saved << target;
    filters.push_back(filterIndex);
    return StepResult::Done;
  }
  std::vector<bool> unattended;
  std::vector<int> options, filters;
  QStringList opened, saved;
  std::function<void()> onOpen;
};

struct ConverterWindow : ::testing::Test {
  ConverterWindow()
      : app(test_application()), form(link, boxes, IniFile(QString::fromStdString(dir.file("viewer.ini")))) {
    form.show();
  }
  void touch(const std::string& name) {
    const fs::path path = in() / name;
    fs::create_directories(path.parent_path());
    write_file_bytes(path.string(), {0});
  }
  fs::path in() const { return dir.path() / "in"; }
  fs::path out() const { return dir.path() / "out"; }
  void check(int row) { form.InputFileFormatsCheckListBox->item(row)->setCheckState(Qt::Checked); }
  void start(const fs::path& input, const fs::path& output) {
    form.InputDirectoryEdit->setText(QString::fromStdString(input.string()));
    form.OutputDirectoryEdit->setText(QString::fromStdString(output.string()));
    form.StartConversionButton->click();
  }
  bool idle() const {
    return form.StartConversionButton->isEnabled() && form.CloseButton->isEnabled() &&
           !form.StopConversionButton->isEnabled();
  }

  QApplication& app;
  TempDir dir;
  FakeLink link;
  ScriptedMessageBoxes boxes;
  TFileFormatConverterForm form;
};

}  // namespace

TEST_F(ConverterWindow, StartsIdleWithItsCaptionsAndNothingChecked) {
  EXPECT_EQ(form.windowTitle(), "File format converter");
  EXPECT_EQ(form.size(), QSize(425, 354));
  ASSERT_EQ(form.InputFileFormatsCheckListBox->count(), 43);
  EXPECT_EQ(form.InputFileFormatsCheckListBox->item(0)->text(), "All Bitmap Files");
  for (int row = 0; row < 43; ++row)
    EXPECT_EQ(form.InputFileFormatsCheckListBox->item(row)->checkState(), Qt::Unchecked);
  ASSERT_EQ(form.OutputFileFormatComboBox->count(), 7);
  EXPECT_EQ(form.OutputFileFormatComboBox->currentIndex(), 0);
  EXPECT_EQ(form.OutputFileFormatComboBox->itemText(2),
            "TIF - Tagged Information File Format  (no LZW compression)");
  EXPECT_FALSE(form.SubdirectoriesCheckBox->isChecked());
  EXPECT_EQ(form.ProgressLabel->text(), "0 %");
  EXPECT_TRUE(idle());
}

TEST_F(ConverterWindow, AllBitmapFilesRowChecksEveryRowAndAnyOtherRowClearsIt) {
  check(0);
  for (int row = 1; row < 43; ++row)
    ASSERT_EQ(form.InputFileFormatsCheckListBox->item(row)->checkState(), Qt::Checked) << row;
  form.InputFileFormatsCheckListBox->item(5)->setCheckState(Qt::Unchecked);
  EXPECT_EQ(form.InputFileFormatsCheckListBox->item(0)->checkState(), Qt::Unchecked);
  EXPECT_EQ(form.InputFileFormatsCheckListBox->item(4)->checkState(), Qt::Checked);
  EXPECT_EQ(form.InputFileFormatsCheckListBox->item(6)->checkState(), Qt::Checked);
}

TEST_F(ConverterWindow, SelectingAnotherRowClearsAllBitmapFiles) {
  check(0);
  form.InputFileFormatsCheckListBox->setCurrentRow(3);
  form.InputFileFormatsCheckListBoxClick();
  EXPECT_EQ(form.InputFileFormatsCheckListBox->item(0)->checkState(), Qt::Unchecked);
  EXPECT_EQ(form.InputFileFormatsCheckListBox->item(3)->checkState(), Qt::Checked);
}

TEST_F(ConverterWindow, MissingInputDirectoryIsReported) {
  start(in(), out());
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Error: input directory does not exist.");
  EXPECT_EQ(boxes.shown[0].caption, "Error reading directory");
  EXPECT_EQ(boxes.shown[0].flags, 16);
  EXPECT_EQ(link.options, (std::vector<int>{0}));
  EXPECT_TRUE(idle());
}

TEST_F(ConverterWindow, EmptyOutputDirectoryIsReported) {
  fs::create_directory(in());
  start(in(), "");
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Please enter output directory.");
  EXPECT_EQ(boxes.shown[0].caption, "Error reading directory");
  EXPECT_TRUE(idle());
}

TEST_F(ConverterWindow, CancelInCreateDirectoryConvertsNothing) {
  touch("a.bmp");
  check(2);
  boxes.answers.push_back(MessageBoxCancel);
  start(in(), out());
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text,
            "Selected output directory does not exist.\nDo you want to create this directory?");
  EXPECT_EQ(boxes.shown[0].caption, "Create directory");
  EXPECT_EQ(boxes.shown[0].flags, 33);
  EXPECT_FALSE(fs::exists(out()));
  EXPECT_TRUE(link.opened.isEmpty());
  EXPECT_TRUE(idle());
}

TEST_F(ConverterWindow, OkInCreateDirectoryCreatesItAndConverts) {
  touch("a.bmp");
  check(2);
  boxes.answers.push_back(MessageBoxOk);
  start(in(), out());
  EXPECT_TRUE(fs::is_directory(out()));
  EXPECT_EQ(link.saved, QStringList{QString::fromStdString((out() / "a.bmp").string())});
  EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(ConverterWindow, OutputDirectoryThatCannotBeCreatedIsReported) {
  fs::create_directory(in());
  boxes.answers.push_back(MessageBoxOk);
  start(in(), out() / "deeper");
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[1].text, "Error: output directory cannot be created.");
  EXPECT_EQ(boxes.shown[1].caption, "Error creating directory");
  EXPECT_EQ(boxes.shown[1].flags, 16);
  EXPECT_TRUE(idle());
}

TEST_F(ConverterWindow, FourFilesEndAtAHundredPercent) {
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp"}) touch(name);
  fs::create_directory(out());
  check(2);
  std::vector<int> bar;
  QStringList label;
  link.onOpen = [&] {
    bar.push_back(form.ProgressBar->value());
    label << form.ProgressLabel->text();
  };
  form.OutputFileFormatComboBox->setCurrentIndex(3);
  start(in().string() + "/", out().string() + "/");
  EXPECT_EQ(bar, (std::vector<int>{0, 0, 25, 50}));
  EXPECT_EQ(label, (QStringList{"0 %", "0 %", "25 %", "50 %"}));
  EXPECT_EQ(link.filters, (std::vector<int>{4, 4, 4, 4}));
  EXPECT_EQ(link.saved.front(), QString::fromStdString((out() / "a.bmp").string()));
  EXPECT_EQ(form.ProgressLabel->text(), "100 %");
  EXPECT_EQ(form.ProgressBar->value(), 100);
  EXPECT_TRUE(idle());
}

TEST_F(ConverterWindow, StopPressedDuringARunEndsItAtTheNextFile) {
  for (const char* name : {"a.wsq", "b.wsq", "c.wsq"}) touch(name);
  fs::create_directory(out());
  check(1);
  link.onOpen = [&] { QTimer::singleShot(0, form.StopConversionButton, &QPushButton::click); };
  start(in(), out());
  EXPECT_EQ(link.opened.size(), 1);
  EXPECT_EQ(form.ProgressLabel->text(), "0 %");
  EXPECT_TRUE(idle());
}

TEST_F(ConverterWindow, BrokenFileInANestedTreeIsReportedOnceAtTheEnd) {
  for (const char* name : {"a.wsq", "one/two/broken.wsq", "one/two/three/z.wsq"}) touch(name);
  fs::create_directory(out());
  check(1);
  form.SubdirectoriesCheckBox->setChecked(true);
  start(in(), out());
  EXPECT_EQ(link.opened.size(), 3);
  EXPECT_EQ(link.saved.size(), 2);
  EXPECT_TRUE(idle());
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Conversion finished");
  EXPECT_EQ(boxes.shown[0].text, "2 converted, 1 failed\n" + QString::fromStdString((in() / "one/two/broken.wsq").string()) +
                                     ": Invalid image data");
  EXPECT_EQ(form.ProgressLabel->text(), "100 %");
}

TEST_F(ConverterWindow, CaptionsFitTheirControls) {
  for (QAbstractButton* button : form.findChildren<QAbstractButton*>()) {
    if (button->text().isEmpty()) continue;
    EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
  }
}

TEST_F(ConverterWindow, DirectoriesAreKeptInTheSettingsFile) {
  form.InputDirectoryEdit->setText("/some/input");
  form.OutputDirectoryEdit->setText("/some/output");
  form.close();
  EXPECT_EQ(link.unattended, (std::vector<bool>{false}));
  IniFile ini(QString::fromStdString(dir.file("viewer.ini")));
  EXPECT_EQ(ini.read_string("Directories", "input_directory", ""), "/some/input");
  EXPECT_EQ(ini.read_string("Directories", "output_directory", ""), "/some/output");
  form.InputDirectoryEdit->clear();
  form.show();
  EXPECT_EQ(form.InputDirectoryEdit->text(), "/some/input");
}

TEST_F(ConverterWindow, EscapeClosesLikeClose) {
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(&form, &escape);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(link.unattended, (std::vector<bool>{false}));
}

TEST_F(ConverterWindow, ClosingDuringARunStopsIt) {
  for (const char* name : {"a.wsq", "b.wsq", "c.wsq"}) touch(name);
  fs::create_directory(out());
  check(1);
  link.onOpen = [&] { QTimer::singleShot(0, &form, &QWidget::close); };
  start(in(), out());
  EXPECT_EQ(link.opened.size(), 1);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(link.unattended, (std::vector<bool>{false}));
}

TEST_F(ConverterWindow, FolderPickerFillsTheEditWhenConfirmed) {
  form.InputDirectoryEdit->setText("/kept");
  boxes.directory_answers.push_back(std::nullopt);
  form.SelectInputDirectoryButton->click();
  EXPECT_EQ(form.InputDirectoryEdit->text(), "/kept");
  boxes.directory_answers.push_back(QString("/picked"));
  form.SelectOutputDirectoryButton->click();
  EXPECT_EQ(form.OutputDirectoryEdit->text(), "/picked");
}
