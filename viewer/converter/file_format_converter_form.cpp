#include "viewer/converter/file_format_converter_form.h"

#include <QCheckBox>
#include <QHideEvent>
#include <QShowEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

#include "viewer/converter/converter_link.h"
#include "viewer/logic/format_table.h"
#include "viewer/widgets/caption_fit.h"
#include "viewer/widgets/message_boxes.h"

namespace {

const char* const DirectoriesSection = "Directories";
const char* const InputDirectoryKey = "input_directory";
const char* const OutputDirectoryKey = "output_directory";
const char* const ErrorReadingDirectory = "Error reading directory";

const char* const OutputFormatCaptions[] = {
    "WSQ  - FBI's Wavelet Scalar Quantization",
    "BMP  - Windows Bitmap Graphics",
    "TIF - Tagged Information File Format  (no LZW compression)",
    "PNG  - Portable Network Graphics",
    "JPG  - Joint Photographic Experts Group",
    "TGA   - Truevision Targa Graphic",
    "RGB   - Silicon Graphics International (uncompressed)",
};

bool is_directory(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

QLabel* label_at(QWidget* parent, const QString& text, int left, int top) {
  auto* label = new QLabel(text, parent);
  label->move(left, top);
  label->adjustSize();
  return label;
}

QToolButton* folder_button(QWidget* parent, int left, int top) {
  auto* button = new QToolButton(parent);
  button->setIcon(parent->style()->standardIcon(QStyle::SP_DirOpenIcon));
  button->setGeometry(left, top, 32, 32);
  return button;
}

QPushButton* push_button(QWidget* parent, const QString& text, int left, int width) {
  auto* button = new QPushButton(text, parent);
  button->setGeometry(left, 312, width, 33);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TFileFormatConverterForm::TFileFormatConverterForm(ConverterLink& link, MessageBoxes& boxes,
                                                   IniFile settings, QWidget* parent)
    : QDialog(parent), link_(link), boxes_(boxes), settings_(std::move(settings)) {
  setObjectName("FileFormatConverterForm");
  setWindowTitle("File format converter");
  setFixedSize(425, 354);
  BuildLayout();
  fit_captions(this);
  SetRunning(false);
}

void TFileFormatConverterForm::BuildLayout() {
  label_at(this, "Input file formats", 16, 8);
  InputFileFormatsCheckListBox = new QListWidget(this);
  InputFileFormatsCheckListBox->setGeometry(16, 24, 393, 57);
  for (const FormatRow& row : FormatPatterns()) {
    auto* item = new QListWidgetItem(QString::fromUtf8(row.caption.data(), static_cast<int>(row.caption.size())),
                                     InputFileFormatsCheckListBox);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  connect(InputFileFormatsCheckListBox, &QListWidget::itemChanged, this,
          &TFileFormatConverterForm::CheckListItemChanged);
  connect(InputFileFormatsCheckListBox, &QListWidget::itemClicked, this,
          [this] { InputFileFormatsCheckListBoxClick(); });

  label_at(this, "Input directory", 16, 88);
  InputDirectoryEdit = new QLineEdit(this);
  InputDirectoryEdit->setGeometry(16, 104, 361, 21);
  SelectInputDirectoryButton = folder_button(this, 384, 96);
  SubdirectoriesCheckBox = new QCheckBox("Include subdirectories", this);
  SubdirectoriesCheckBox->setGeometry(16, 128, 129, 25);

  label_at(this, "Output directory", 16, 160);
  OutputDirectoryEdit = new QLineEdit(this);
  OutputDirectoryEdit->setGeometry(16, 176, 361, 21);
  SelectOutputDirectoryButton = folder_button(this, 384, 168);

  label_at(this, "Output file format", 16, 208);
  OutputFileFormatComboBox = new QComboBox(this);
  OutputFileFormatComboBox->setGeometry(16, 224, 393, 21);
  for (const char* caption : OutputFormatCaptions) OutputFileFormatComboBox->addItem(caption);
  OutputFileFormatComboBox->setCurrentIndex(0);

  ProgressLabel = label_at(this, "0 %", 376, 256);
  ProgressBar = new QProgressBar(this);
  ProgressBar->setGeometry(16, 272, 393, 25);
  ProgressBar->setRange(0, 100);
  ProgressBar->setValue(0);

  StartConversionButton = push_button(this, "Start conversion", 16, 113);
  StopConversionButton = push_button(this, "Stop conversion", 160, 121);
  CloseButton = push_button(this, "Close", 312, 97);

  connect(SelectInputDirectoryButton, &QToolButton::clicked, this,
          &TFileFormatConverterForm::SelectInputDirectoryButtonClick);
  connect(SelectOutputDirectoryButton, &QToolButton::clicked, this,
          &TFileFormatConverterForm::SelectOutputDirectoryButtonClick);
  connect(StartConversionButton, &QPushButton::clicked, this,
          &TFileFormatConverterForm::StartConversionButtonClick);
  connect(StopConversionButton, &QPushButton::clicked, this,
          &TFileFormatConverterForm::StopConversionButtonClick);
  connect(CloseButton, &QPushButton::clicked, this, &TFileFormatConverterForm::CloseButtonClick);
}

void TFileFormatConverterForm::SetRunning(bool running) {
  StartConversionButton->setEnabled(!running);
  CloseButton->setEnabled(!running);
  StopConversionButton->setEnabled(running);
}

void TFileFormatConverterForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TFileFormatConverterForm::FormShow() {
  ProgressLabel->setText("0 %");
  ProgressLabel->adjustSize();
  ProgressBar->setValue(0);
  SetRunning(false);
  if (const QScreen* shown_on = screen()) {
    const QRect area = shown_on->geometry();
    move((area.width() - width()) / 2, (area.height() - height()) / 2);
  }
  InputDirectoryEdit->setText(settings_.read_string(DirectoriesSection, InputDirectoryKey, ""));
  OutputDirectoryEdit->setText(settings_.read_string(DirectoriesSection, OutputDirectoryKey, ""));
}

void TFileFormatConverterForm::reject() {
  if (converting_) StopConversionButtonClick();
  QDialog::reject();
}

// Every way of closing the window hides it; only a minimised window hides
// spontaneously.
void TFileFormatConverterForm::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (!event->spontaneous()) FormClose();
}

void TFileFormatConverterForm::FormClose() {
  settings_.write_string(DirectoriesSection, InputDirectoryKey, InputDirectoryEdit->text());
  settings_.write_string(DirectoriesSection, OutputDirectoryKey, OutputDirectoryEdit->text());
  link_.SetUnattended(false);
}

void TFileFormatConverterForm::CloseButtonClick() { close(); }

void TFileFormatConverterForm::SelectInputDirectoryButtonClick() { PickDirectory(InputDirectoryEdit); }

void TFileFormatConverterForm::SelectOutputDirectoryButtonClick() { PickDirectory(OutputDirectoryEdit); }

void TFileFormatConverterForm::PickDirectory(QLineEdit* edit) {
  const QString start = is_directory(edit->text()) ? edit->text() : QString();
  if (const auto chosen = boxes_.select_directory(this, "Select a folder:", start)) edit->setText(*chosen);
}

void TFileFormatConverterForm::CheckListItemChanged(QListWidgetItem* item) {
  if (applyingCheckRule_) return;
  InputFileFormatsCheckListBox->setCurrentItem(item);
  InputFileFormatsCheckListBoxClick();
}

// Row 0 ("All Bitmap Files") sets every other row to its own mark; any other
// row clears row 0's mark.
void TFileFormatConverterForm::InputFileFormatsCheckListBoxClick() {
  applyingCheckRule_ = true;
  QListWidget* list = InputFileFormatsCheckListBox;
  QListWidgetItem* all = list->item(AllFormatsRow);
  if (list->currentRow() == AllFormatsRow) {
    for (int row = 1; row < FormatRowCount; ++row) list->item(row)->setCheckState(all->checkState());
  } else {
    all->setCheckState(Qt::Unchecked);
  }
  applyingCheckRule_ = false;
}

void TFileFormatConverterForm::StopConversionButtonClick() {
  Run.StopRequested = true;
  SetRunning(false);
}

std::vector<int> TFileFormatConverterForm::CheckedRows() const {
  std::vector<int> rows;
  for (int row = 1; row < FormatRowCount; ++row)
    if (InputFileFormatsCheckListBox->item(row)->checkState() == Qt::Checked) rows.push_back(row);
  return rows;
}

void TFileFormatConverterForm::StartConversionButtonClick() {
  // The pumps of a run let events through; a second Start among them waits
  // for this run instead of nesting inside it.
  if (converting_) return;
  converting_ = true;
  struct RunEnd {
    bool& flag;
    ~RunEnd() { flag = false; }
  } run_end{converting_};

  SetRunning(true);
  Run.StopRequested = false;
  const int output_item = OutputFileFormatComboBox->currentIndex();
  if (link_.ShowSaveOptions(output_item) == StepResult::EndsRun) {
    SetRunning(false);
    return;
  }
  if (!CheckDirectories()) {
    SetRunning(false);
    return;
  }
  Run.SetRoots(QFile::encodeName(InputDirectoryEdit->text()).toStdString(),
               QFile::encodeName(OutputDirectoryEdit->text()).toStdString());
  ShowProgress(0);
  Run.Collect(CheckedRows(), SubdirectoriesCheckBox->isChecked(), *this);
  Run.Convert(output_item, SubdirectoriesCheckBox->isChecked(), *this);
  SetRunning(false);
  // One box at the end for every file that failed, never one per file.
  if (!Run.Failures.empty())
    boxes_.message_box(this, QFile::decodeName(Run.Report().c_str()), "Conversion finished", MessageBoxError);
}

bool TFileFormatConverterForm::CheckDirectories() {
  if (!is_directory(InputDirectoryEdit->text())) {
    boxes_.message_box(this, "Error: input directory does not exist.", ErrorReadingDirectory,
                       MessageBoxError);
    return false;
  }
  const QString output = OutputDirectoryEdit->text();
  if (output.isEmpty()) {
    boxes_.message_box(this, "Please enter output directory.", ErrorReadingDirectory, MessageBoxError);
    return false;
  }
  return is_directory(output) || PrepareOutputDirectory(output);
}

// Asks whether to create the missing output directory and creates it (one
// level: its parent must exist).
bool TFileFormatConverterForm::PrepareOutputDirectory(const QString& output) {
  const int answer = boxes_.message_box(
      this, "Selected output directory does not exist.\nDo you want to create this directory?",
      "Create directory", MessageBoxQuestionOkCancel);
  if (answer != MessageBoxOk) return false;
  if (QDir().mkdir(output)) return true;
  boxes_.message_box(this, "Error: output directory cannot be created.", "Error creating directory",
                     MessageBoxError);
  return false;
}

void TFileFormatConverterForm::PumpMessages() { QCoreApplication::processEvents(); }

StepResult TFileFormatConverterForm::OpenInput(const std::string& path, std::string& reason) {
  QString text;
  const StepResult result = link_.OpenForConversion(QFile::decodeName(path.c_str()), text);
  reason = QFile::encodeName(text).toStdString();
  return result;
}

StepResult TFileFormatConverterForm::SaveOutput(const std::string& target, int filterIndex, std::string& reason) {
  QString text;
  const StepResult result = link_.SaveForConversion(QFile::decodeName(target.c_str()), filterIndex, text);
  reason = QFile::encodeName(text).toStdString();
  return result;
}

void TFileFormatConverterForm::ShowProgress(int percent) {
  ProgressBar->setValue(percent);
  ProgressLabel->setText(QString::number(percent) + " %");
  ProgressLabel->adjustSize();
  ProgressBar->repaint();
  ProgressLabel->repaint();
}
