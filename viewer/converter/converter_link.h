#pragma once
// What the batch converter needs of the main window: its unattended mode and
// its open and save flows driven from code.
#include <QString>

#include "viewer/converter/converter_run.h"

class ConverterLink {
 public:
  virtual ~ConverterLink() = default;
  // Unattended on: no option dialogs per file, no browse list, main window
  // disabled. Off: the main window is attended and enabled again.
  virtual void SetUnattended(bool unattended) = 0;
  // Shows the options dialog of the output item (WSQ or TIFF) modally once
  // before a run; other items show nothing. EndsRun when the dialog raised
  // an error (already reported), which ends the run before it starts.
  virtual StepResult ShowSaveOptions(int outputItem) = 0;
  // The open flow on path, as if the open dialog had named it. A failure
  // shows nothing: reason says why, for the run's closing report.
  virtual StepResult OpenForConversion(const QString& path, QString& reason) = 0;
  // The save flow on target with the save dialog's 1-based filter index.
  virtual StepResult SaveForConversion(const QString& target, int filterIndex, QString& reason) = 0;
};
