#include "viewer/converter/converter_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// Records what the run asks of the window.
struct FakeHost : ConverterHost {
  void PumpMessages() override {
    ++pumps;
    if (onPump) onPump(pumps);
  }
  StepResult OpenInput(const std::string& path, std::string& reason) override {
    opened.push_back(path);
    if (path.find("bad") == std::string::npos) return StepResult::Done;
    reason = "unreadable";
    return StepResult::Failed;
  }
  StepResult SaveOutput(const std::string& target, int filterIndex, std::string& reason) override {
    saved.push_back(target);
    filters.push_back(filterIndex);
    if (target.find("unsaveable") == std::string::npos) return StepResult::Done;
    reason = "cannot write";
    return StepResult::Failed;
  }
  void ShowProgress(int percent) override { progress.push_back(percent); }

  int pumps = 0;
  std::function<void(int)> onPump;
  std::vector<std::string> opened, saved;
  std::vector<int> filters, progress;
};

void touch(const fs::path& path) {
  fs::create_directories(path.parent_path());
  write_file_bytes(path.string(), {0});
}

}  // namespace

TEST(ConverterRoots, TrailingSeparatorsAreDropped) {
  ConversionRun run;
  run.SetRoots("/in/", "/out/");
  EXPECT_EQ(run.InputRoot, "/in");
  EXPECT_EQ(run.RelativeStart, 4);
  EXPECT_EQ(run.OutputRoot, "/out");
  EXPECT_EQ(run.TargetFor("/in/a/b.wsq", true), "/out/a/b.wsq");
  EXPECT_EQ(run.TargetFor("/in/a/b.wsq", false), "/out/b.wsq");
  run.SetRoots("/", "/out");
  EXPECT_EQ(run.TargetFor("/a/b.wsq", true), "/out/a/b.wsq");
}

TEST(ConverterRoots, ExtensionReplacedAfterTheLastSeparatorOnly) {
  EXPECT_EQ(WithExtension("/d/scan.bmp", ".wsq"), "/d/scan.wsq");
  EXPECT_EQ(WithExtension("/d/scan", ".wsq"), "/d/scan.wsq");
  EXPECT_EQ(WithExtension("/d.x/scan", ".tif"), "/d.x/scan.tif");
  EXPECT_STREQ(OutputExtension(6), ".rgb");
}

TEST(ConverterRun, CollectsInTableOrderThenOwnFilesBeforeSubdirectories) {
  TempDir in;
  touch(in.path() / "b.bmp");
  touch(in.path() / "z.wsq");
  touch(in.path() / "sub" / "a.wsq");
  touch(in.path() / "sub" / "c.bmp");
  ConversionRun run;
  run.SetRoots(in.path().string(), "/unused");
  FakeHost host;
  run.Collect({1, 2}, true, host);
  const std::string root = in.path().string();
  EXPECT_EQ(run.ConversionList, (std::vector<std::string>{root + "/z.wsq", root + "/sub/a.wsq",
                                                          root + "/b.bmp", root + "/sub/c.bmp"}));
  EXPECT_EQ(host.pumps, 2);
  run.Collect({2}, false, host);
  EXPECT_EQ(run.ConversionList, (std::vector<std::string>{root + "/b.bmp"}));
}

TEST(ConverterRun, MirrorsSubdirectoriesWithTrailingSeparators) {
  TempDir in, out;
  touch(in.path() / "top.wsq");
  touch(in.path() / "a" / "b.wsq");
  touch(in.path() / "a" / "c" / "d.wsq");
  ConversionRun run;
  run.SetRoots(in.path().string() + "/", out.path().string() + "/");
  FakeHost host;
  run.Collect({1}, true, host);
  run.Convert(1, true, host);
  EXPECT_EQ(host.saved, (std::vector<std::string>{out.file("top.wsq"), out.file("a/b.wsq"),
                                                   out.file("a/c/d.wsq")}));
  EXPECT_EQ(host.filters, (std::vector<int>{2, 2, 2}));
  EXPECT_TRUE(fs::is_directory(out.path() / "a" / "c"));
  EXPECT_TRUE(run.Failures.empty());
  EXPECT_EQ(run.Converted, 3);
}

TEST(ConverterRun, SubfoldersBelowAFolderWithoutMatchesAreSearched) {
  TempDir in, out;
  touch(in.path() / "x" / "y" / "deep.wsq");
  touch(in.path() / "x" / "other.bmp");
  touch(in.path() / "z" / "near.wsq");
  ConversionRun run;
  run.SetRoots(in.path().string(), out.path().string());
  FakeHost host;
  run.Collect({1}, true, host);
  EXPECT_EQ(run.ConversionList, (std::vector<std::string>{in.file("x/y/deep.wsq"), in.file("z/near.wsq")}));
  run.Convert(0, true, host);
  EXPECT_TRUE(fs::is_directory(out.path() / "x" / "y"));
  EXPECT_EQ(host.saved.front(), out.file("x/y/deep.wsq"));
}

TEST(ConverterRun, ProgressForFourFiles) {
  TempDir in, out;
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp"}) touch(in.path() / name);
  ConversionRun run;
  run.SetRoots(in.path().string(), out.path().string());
  FakeHost host;
  run.Collect({2}, false, host);
  run.Convert(0, false, host);
  EXPECT_EQ(host.progress, (std::vector<int>{0, 25, 50, 75, 100}));
  EXPECT_EQ(host.opened.size(), 4u);
  EXPECT_EQ(host.saved.front(), out.file("a.bmp"));
}

TEST(ConverterRun, NothingCheckedEndsAtAHundred) {
  ConversionRun run;
  FakeHost host;
  run.Collect({}, false, host);
  run.Convert(0, false, host);
  EXPECT_TRUE(host.opened.empty());
  EXPECT_EQ(host.progress, (std::vector<int>{100}));
}

TEST(ConverterRun, StopDuringCollectionStillConvertsTheFirstFile) {
  TempDir in, out;
  touch(in.path() / "a.wsq");
  touch(in.path() / "b.wsq");
  touch(in.path() / "c.bmp");
  ConversionRun run;
  run.SetRoots(in.path().string(), out.path().string());
  FakeHost host;
  host.onPump = [&](int pump) { run.StopRequested = run.StopRequested || pump == 2; };
  run.Collect({1, 2}, false, host);
  EXPECT_EQ(run.ConversionList.size(), 2u);
  run.Convert(0, false, host);
  EXPECT_EQ(host.opened, (std::vector<std::string>{in.file("a.wsq")}));
  EXPECT_EQ(host.progress, (std::vector<int>{0}));
}

TEST(ConverterRun, StopDuringConversionEndsAtTheNextFile) {
  TempDir in, out;
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) touch(in.path() / name);
  ConversionRun run;
  run.SetRoots(in.path().string(), out.path().string());
  FakeHost host;
  run.Collect({2}, false, host);
  host.onPump = [&](int pump) { run.StopRequested = run.StopRequested || pump == 3; };
  run.Convert(3, false, host);
  EXPECT_EQ(host.opened.size(), 2u);
  EXPECT_EQ(host.progress, (std::vector<int>{0, 33}));
}

TEST(ConverterRun, OutputThatWouldReplaceItsInputIsSkipped) {
  TempDir dir;
  touch(dir.path() / "a.bmp");
  const std::vector<uint8_t> before = read_file_bytes(dir.file("a.bmp"));
  ConversionRun run;
  run.SetRoots(dir.path().string(), dir.path().string() + "/");
  FakeHost host;
  run.Collect({2}, false, host);
  run.Convert(1, false, host);
  EXPECT_TRUE(host.saved.empty());
  ASSERT_EQ(run.Failures.size(), 1u);
  EXPECT_EQ(read_file_bytes(dir.file("a.bmp")), before);
  EXPECT_EQ(host.progress, (std::vector<int>{0, 100}));
}

TEST(ConverterRun, OutputThatWouldReplaceAnotherInputIsSkipped) {
  TempDir dir;
  touch(dir.path() / "a.bmp");
  touch(dir.path() / "a.png");
  touch(dir.path() / "b.bmp");
  ConversionRun run;
  run.SetRoots(dir.path().string(), dir.path().string());
  FakeHost host;
  run.Collect({2, 8}, false, host);
  run.Convert(3, false, host);
  EXPECT_EQ(host.saved, (std::vector<std::string>{dir.file("b.bmp")}));
  ASSERT_EQ(run.Failures.size(), 2u);
  EXPECT_EQ(run.Failures[0].path, dir.file("a.bmp"));
  EXPECT_EQ(run.Failures[0].reason, dir.file("a.png") + " is an input file of this conversion and is not overwritten.");
}

TEST(ConverterRun, UncreatableSubdirectoryFailsThatFileOnly) {
  TempDir in, out;
  touch(in.path() / "top.wsq");
  touch(in.path() / "a" / "b.wsq");
  write_file_bytes(out.file("a"), {0});  // a file where the directory should go
  ConversionRun run;
  run.SetRoots(in.path().string(), out.path().string());
  FakeHost host;
  run.Collect({1}, true, host);
  run.Convert(0, true, host);
  ASSERT_EQ(run.Failures.size(), 1u);
  EXPECT_EQ(run.Failures[0].path, in.file("a/b.wsq"));
  EXPECT_EQ(run.Failures[0].reason, "cannot create " + out.path().string() + "/a/ directory.");
  EXPECT_EQ(host.saved, (std::vector<std::string>{out.file("top.wsq")}));
}

TEST(ConverterRun, UnreadableFileIsNotSavedAndTheRunGoesOn) {
  TempDir in, out;
  for (const char* name : {"a.bmp", "bad.bmp", "c.bmp"}) touch(in.path() / name);
  ConversionRun run;
  run.SetRoots(in.path().string(), out.path().string());
  FakeHost host;
  run.Collect({2}, false, host);
  run.Convert(1, false, host);
  EXPECT_EQ(host.opened.size(), 3u);
  EXPECT_EQ(host.saved, (std::vector<std::string>{out.file("a.bmp"), out.file("c.bmp")}));
  EXPECT_EQ(host.progress, (std::vector<int>{0, 33, 66, 100}));
}

TEST(ConverterRun, FailedOpensAndSavesAreCountedAndReported) {
  TempDir in, out;
  for (const char* name : {"a.bmp", "bad.bmp", "unsaveable.bmp", "d.bmp"}) touch(in.path() / name);
  ConversionRun run;
  run.SetRoots(in.path().string(), out.path().string());
  FakeHost host;
  run.Collect({2}, false, host);
  run.Convert(1, false, host);
  EXPECT_EQ(host.opened.size(), 4u);
  EXPECT_EQ(host.progress, (std::vector<int>{0, 25, 50, 75, 100}));
  EXPECT_EQ(run.Converted, 2);
  EXPECT_EQ(run.Report(), "2 converted, 2 failed\n" + in.file("bad.bmp") + ": unreadable\n" +
                              in.file("unsaveable.bmp") + ": cannot write");
}
