#include "viewer/converter/converter_run.h"

#include <filesystem>
#include <system_error>

#include "viewer/logic/collect_files.h"
#include "viewer/logic/format_table.h"

namespace fs = std::filesystem;

namespace {

std::string file_name_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The directory part of path, with its trailing separator ("" when none).
std::string directory_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool is_directory(const std::string& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

std::string normal_form(const std::string& path) { return fs::path(path).lexically_normal().string(); }

// Whether writing output would replace input (the same name, or the same
// file reached through another name).
bool same_file(const std::string& input, const std::string& output) {
  if (normal_form(input) == normal_form(output)) return true;
  std::error_code error;
  return fs::equivalent(input, output, error);
}

}  // namespace

const char* OutputExtension(int outputItem) {
  return outputItem >= 0 && outputItem < SaveFormatCount ? SaveFormatRows()[static_cast<size_t>(outputItem)].extension
                                                         : "";
}

std::string WithExtension(const std::string& path, const std::string& extension) {
  const size_t dot = path.rfind('.');
  const size_t slash = path.rfind('/');
  const bool has_extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (has_extension ? path.substr(0, dot) : path) + extension;
}

std::string WithoutTrailingSeparator(const std::string& text) {
  return !text.empty() && text.back() == '/' ? text.substr(0, text.size() - 1) : text;
}

int ProgressPercent(int j, int n) {
  return n > 0 ? static_cast<int>(static_cast<long long>(j) * 100 / n) : 0;
}

void ConversionRun::SetRoots(const std::string& inputText, const std::string& outputText) {
  InputRoot = WithoutTrailingSeparator(inputText);
  RelativeStart = static_cast<int>(InputRoot.size()) + 1;
  OutputRoot = WithoutTrailingSeparator(outputText);
}

void ConversionRun::Collect(const std::vector<int>& checkedRows, bool recurse, ConverterHost& host) {
  ConversionList.clear();
  const auto& rows = FormatPatterns();
  for (int row : checkedRows) {
    if (row <= AllFormatsRow || row >= FormatRowCount) continue;
    host.PumpMessages();
    if (StopRequested) return;
    CollectFiles(std::string(rows[row].pattern), InputRoot, ConversionList, recurse);
  }
}

void ConversionRun::Convert(int outputItem, bool mirror, ConverterHost& host) {
  inputs_.clear();
  Converted = 0;
  Failures.clear();
  for (const std::string& entry : ConversionList) inputs_.insert(normal_form(entry));
  const int n = static_cast<int>(ConversionList.size());
  for (int j = 0; j < n; ++j) {
    const std::string& entry = ConversionList[static_cast<size_t>(j)];
    std::string reason;
    if (ConvertOne(entry, outputItem, mirror, host, reason) == StepResult::Done) {
      ++Converted;
    } else {
      Failures.push_back({entry, reason});
    }
    host.ShowProgress(ProgressPercent(j, n));
    host.PumpMessages();
    if (StopRequested) break;
  }
  if (!StopRequested) host.ShowProgress(100);
}

std::string ConversionRun::Report() const {
  std::string text = std::to_string(Converted) + " converted, " + std::to_string(Failures.size()) + " failed";
  for (const FailedFile& failed : Failures) text += "\n" + failed.path + ": " + failed.reason;
  return text;
}

std::string ConversionRun::TargetFor(const std::string& entry, bool mirror) const {
  const size_t below = static_cast<size_t>(RelativeStart - 1);
  if (mirror && below <= entry.size()) return OutputRoot + entry.substr(below);
  return OutputRoot + "/" + file_name_of(entry);
}

StepResult ConversionRun::ConvertOne(const std::string& entry, int outputItem, bool mirror, ConverterHost& host,
                                     std::string& reason) {
  if (host.OpenInput(entry, reason) != StepResult::Done) return StepResult::Failed;
  const std::string target = TargetFor(entry, mirror);
  if (mirror) {
    reason = EnsureTargetDirectory(target);
    if (!reason.empty()) return StepResult::Failed;
  }
  const std::string output = WithExtension(target, OutputExtension(outputItem));
  if (same_file(entry, output) || inputs_.count(normal_form(output)) != 0) {
    reason = output + " is an input file of this conversion and is not overwritten.";
    return StepResult::Failed;
  }
  return host.SaveOutput(target, outputItem + 1, reason) == StepResult::Done ? StepResult::Done : StepResult::Failed;
}

// Makes every missing level, since a nested input folder may lie deeper than
// the output's existing folders.
std::string ConversionRun::EnsureTargetDirectory(const std::string& target) {
  const std::string directory = directory_of(target);
  if (directory.empty() || is_directory(directory)) return {};
  std::error_code error;
  fs::create_directories(directory, error);
  if (error || !is_directory(directory)) return "cannot create " + directory + " directory.";
  return {};
}
