#include "viewer/window/converter_main_link.h"

#include "viewer/converter/file_format_converter_form.h"
#include "viewer/window/main_window.h"
#include "viewer/widgets/message_boxes.h"
#include "viewer/dialogs/tiff_dialog.h"
#include "viewer/pictures/toolkit_error.h"
#include "viewer/dialogs/wsq_dialog.h"

namespace {

constexpr int OutputWsq = 0;
constexpr int OutputTiff = 2;

// What a flow ended with, for the run: a failure of either kind shows no
// box of its own (an unattended run must not stop at one per file); its
// text goes to the run's closing report.
StepResult reported(const FlowOutcome& outcome, QString& reason) {
  if (outcome.ok()) return StepResult::Done;
  reason = outcome.text;
  return StepResult::Failed;
}

}  // namespace

void MainWindowConverterLink::SetUnattended(bool unattended) {
  window_.Unattended = unattended;
  window_.setEnabled(!unattended);
}

StepResult MainWindowConverterLink::ShowSaveOptions(int outputItem) {
  bool shown = false;
  window_.Guarded([&] {
    if (outputItem == OutputWsq) window_.WSQDialog().ShowModal(window_.Boxes());
    if (outputItem == OutputTiff) window_.TiffDialog().ShowModal(window_.Boxes());
    shown = true;
  });
  return shown ? StepResult::Done : StepResult::EndsRun;
}

StepResult MainWindowConverterLink::OpenForConversion(const QString& path, QString& reason) {
  return reported(window_.OpenForConversion(path), reason);
}

StepResult MainWindowConverterLink::SaveForConversion(const QString& target, int filterIndex, QString& reason) {
  return reported(window_.SaveForConversion(target, filterIndex), reason);
}

void ConnectConverter(TMainWSQForm& window, TFileFormatConverterForm& converter) {
  window.OnMenuFileConverterClick = [&window, &converter] {
    window.Unattended = true;
    converter.show();
    converter.raise();
    window.setEnabled(false);
  };
}
