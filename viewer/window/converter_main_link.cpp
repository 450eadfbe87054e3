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

// Shows what a flow ended with as the window would and tells the run.
StepResult reported(TMainWSQForm& window, const FlowOutcome& outcome) {
  switch (outcome.kind) {
    case FlowOutcome::Kind::Done:
      return StepResult::Done;
    case FlowOutcome::Kind::Failed:
      window.Boxes().message_box(&window, outcome.text, outcome.caption, MessageBoxError);
      return StepResult::Failed;
    case FlowOutcome::Kind::Raised:
      break;
  }
  window.Guarded([&outcome] { throw ToolkitError(outcome.text); });
  return StepResult::EndsRun;
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

StepResult MainWindowConverterLink::OpenForConversion(const QString& path) {
  return reported(window_, window_.OpenForConversion(path));
}

StepResult MainWindowConverterLink::SaveForConversion(const QString& target, int filterIndex) {
  return reported(window_, window_.SaveForConversion(target, filterIndex));
}

void ConnectConverter(TMainWSQForm& window, TFileFormatConverterForm& converter) {
  window.OnMenuFileConverterClick = [&window, &converter] {
    window.Unattended = true;
    converter.show();
    converter.raise();
    window.setEnabled(false);
  };
}
