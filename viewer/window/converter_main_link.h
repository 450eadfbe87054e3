#pragma once
// The batch converter's hold on the main window: Tools > "File format
// converter" shows the converter with the main window disabled and
// unattended, and each file of a run goes through the main window's open and
// save flows.
#include "viewer/converter/converter_link.h"

class TFileFormatConverterForm;
class TMainWSQForm;

class MainWindowConverterLink final : public ConverterLink {
 public:
  explicit MainWindowConverterLink(TMainWSQForm& window) : window_(window) {}

  void SetUnattended(bool unattended) override;
  StepResult ShowSaveOptions(int outputItem) override;
  StepResult OpenForConversion(const QString& path, QString& reason) override;
  StepResult SaveForConversion(const QString& target, int filterIndex, QString& reason) override;

 private:
  TMainWSQForm& window_;
};

// Fills the main window's Tools menu hook with the converter.
void ConnectConverter(TMainWSQForm& window, TFileFormatConverterForm& converter);
