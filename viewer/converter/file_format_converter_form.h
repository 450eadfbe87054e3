#pragma once
// The batch file format converter window: input formats, input and output
// directories, output format, progress, Start, Stop and Close.
#include <QDialog>

#include "viewer/logic/browse_list.h"
#include "viewer/converter/converter_run.h"
#include "viewer/logic/ini_file.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QToolButton;
class ConverterLink;
class MessageBoxes;

class TFileFormatConverterForm : public QDialog, private ConverterHost {
  Q_OBJECT

 public:
  TFileFormatConverterForm(ConverterLink& link, MessageBoxes& boxes, IniFile settings,
                           QWidget* parent = nullptr);

  // Handlers, public so the window can be driven as a user would.
  void FormShow();
  void FormClose();
  void CloseButtonClick();
  void SelectInputDirectoryButtonClick();
  void SelectOutputDirectoryButtonClick();
  void InputFileFormatsCheckListBoxClick();
  void StartConversionButtonClick();
  void StopConversionButtonClick();

  QListWidget* InputFileFormatsCheckListBox;
  QLineEdit* InputDirectoryEdit;
  QToolButton* SelectInputDirectoryButton;
  QCheckBox* SubdirectoriesCheckBox;
  QLineEdit* OutputDirectoryEdit;
  QToolButton* SelectOutputDirectoryButton;
  QComboBox* OutputFileFormatComboBox;
  QLabel* ProgressLabel;
  QProgressBar* ProgressBar;
  QPushButton* StartConversionButton;
  QPushButton* StopConversionButton;
  QPushButton* CloseButton;

  // The current run's list, roots and Stop flag.
  ConversionRun Run;
  // Folder browsing of the main window lives here, beside the format table.
  FolderBrowser Browser;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 public:
  // Closing (the Close button, the window's own close, Escape) during a run
  // acts as Stop first, so the run ends at its next pump instead of going on
  // with the main window attended.
  void reject() override;

 private:
  void BuildLayout();
  void SetRunning(bool running);
  void PickDirectory(QLineEdit* edit);
  void CheckListItemChanged(QListWidgetItem* item);
  bool CheckDirectories();
  bool PrepareOutputDirectory(const QString& output);
  std::vector<int> CheckedRows() const;

  void PumpMessages() override;
  StepResult OpenInput(const std::string& path, std::string& reason) override;
  StepResult SaveOutput(const std::string& target, int filterIndex, std::string& reason) override;
  void ShowProgress(int percent) override;

  ConverterLink& link_;
  MessageBoxes& boxes_;
  IniFile settings_;
  bool applyingCheckRule_ = false;
  bool converting_ = false;
};
