#pragma once
// The batch converter's run: collecting the input files of the checked
// formats and converting each through the main window's open and save flows,
// with optional mirroring of the input's subdirectories, progress and Stop.
// The window side is reached through ConverterHost so the run can be tested
// without one.
#include <set>
#include <string>
#include <vector>

// How a step went. Failed: the file was refused (the reason goes to the
// run's closing report) and the run goes on. EndsRun: the options dialog
// before a run raised an error, which ends the run before it starts.
enum class StepResult { Done, Failed, EndsRun };

// A file the run could not convert, and why.
struct FailedFile {
  std::string path;
  std::string reason;
};

class ConverterHost {
 public:
  virtual ~ConverterHost() = default;
  // Lets pending window events run, so "Stop conversion" can act.
  virtual void PumpMessages() = 0;
  // Opens path in the main window (its unattended open flow); on failure
  // reason says why.
  virtual StepResult OpenInput(const std::string& path, std::string& reason) = 0;
  // Saves the shown image to target through the save flow with the save
  // dialog's 1-based filter index (which gives target its extension).
  virtual StepResult SaveOutput(const std::string& target, int filterIndex, std::string& reason) = 0;
  // Shows percent on the progress bar and label, repainted at once.
  virtual void ShowProgress(int percent) = 0;
};

// The extension the save flow gives a file for an output item (0 to 6).
const char* OutputExtension(int outputItem);
// path with the part from its last "." after the last separator replaced by extension.
std::string WithExtension(const std::string& path, const std::string& extension);
// text without its last character when that is a path separator.
std::string WithoutTrailingSeparator(const std::string& text);
// floor(j / n * 100) for 0 <= j < n.
int ProgressPercent(int j, int n);

class ConversionRun {
 public:
  // Sets InputRoot, OutputRoot and RelativeStart from the two directory texts.
  void SetRoots(const std::string& inputText, const std::string& outputText);
  // Fills ConversionList from the checked rows of the format table (rows 1 to
  // 42, in table order), pumping messages before each; leaves early when
  // StopRequested.
  void Collect(const std::vector<int>& checkedRows, bool recurse, ConverterHost& host);
  // Converts every collected file to the output item's format. With mirror,
  // each file goes to the output's copy of its input subdirectory, created on
  // the way. A file that cannot be opened is not saved (the window would
  // still hold the previous image), and no output replaces a file of
  // ConversionList. A file that fails is counted and listed in Failures and
  // the run goes on. Ends at "100 %" unless stopped.
  void Convert(int outputItem, bool mirror, ConverterHost& host);
  // "N converted, M failed" and one line per failed file with its reason.
  std::string Report() const;
  // Where entry is saved before the save flow gives it its extension.
  std::string TargetFor(const std::string& entry, bool mirror) const;

  std::vector<std::string> ConversionList;
  std::string InputRoot;
  std::string OutputRoot;
  int RelativeStart = 1;
  bool StopRequested = false;
  int Converted = 0;
  std::vector<FailedFile> Failures;

 private:
  // Done, or Failed with reason.
  StepResult ConvertOne(const std::string& entry, int outputItem, bool mirror, ConverterHost& host,
                        std::string& reason);
  // Empty, or why the target's directory could not be made.
  std::string EnsureTargetDirectory(const std::string& target);

  std::set<std::string> inputs_;  // ConversionList in normal form, for the overwrite check
};
