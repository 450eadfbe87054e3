#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "cli/batch.h"
#include "tests/cli/cli_helpers.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class Batch : public ::testing::Test {
 protected:
  std::string in() const { return dir.file("in"); }
  std::string out() const { return dir.file("out"); }
  void picture_in(const std::string& name, bool grey = true, uint32_t side = 80) {
    save_picture(in() + "/" + name, picture(side, side, grey, 500));
  }
  // Runs the command, keeping its standard error in err.
  int run(std::vector<std::string> arguments) {
    testing::internal::CaptureStderr();
    const int status = run_cli(std::move(arguments));
    err = testing::internal::GetCapturedStderr();
    return status;
  }
  // Plans a run of arguments, lets change alter the files, then runs the plan.
  int plan_then_run(const std::vector<std::string>& arguments, const std::function<void()>& change) {
    const ParsedArguments parsed = parse_arguments(arguments);
    EXPECT_EQ(parsed.error, "");
    std::string error;
    const BatchPlan plan = plan_batch(parsed.options, error);
    EXPECT_EQ(error, "");
    change();
    testing::internal::CaptureStderr();
    const int status = run_plan(plan, parsed.options);
    err = testing::internal::GetCapturedStderr();
    return status;
  }
  bool has(const std::string& text) const { return err.find(text) != std::string::npos; }
  // No temporary file of an unfinished write anywhere in the output.
  void expect_no_temporaries() const {
    for (const std::string& file : files_below(out())) EXPECT_EQ(file.find(".wsqtmp-"), std::string::npos) << file;
  }

  TempDir dir;
  std::string err;
};

TEST_F(Batch, ConvertsEveryImageOfATreeIntoMirroredFolders) {
  picture_in("a.wsq");
  picture_in("b.png", false);
  picture_in("sub/c.bmp");
  picture_in("sub/deep/d.pgm");
  write_bytes(in() + "/notes.txt", {'h', 'i'});
  ASSERT_EQ(run({"--to", "png", "-r", "-j", "2", in(), out()}), 0) << err;
  EXPECT_EQ(files_below(out()), (std::set<std::string>{"a.png", "b.png", "sub/c.png", "sub/deep/d.png"}));
  EXPECT_TRUE(has("4 converted, 0 failed, 0 skipped\n")) << err;
  EXPECT_FALSE(has("\r")) << "no progress line off a terminal";

  // Without -r only the folder's own files; --from narrows the formats.
  fs::remove_all(out());
  ASSERT_EQ(run({"--to", ".BMP", "--from", "wsq,pgm", "-r", in(), out()}), 0) << err;
  EXPECT_EQ(files_below(out()), (std::set<std::string>{"a.BMP", "sub/deep/d.BMP"}));
  fs::remove_all(out());
  ASSERT_EQ(run({"--to", "bmp", in(), out()}), 0) << err;
  EXPECT_EQ(files_below(out()), (std::set<std::string>{"a.bmp", "b.bmp"}));
}

TEST_F(Batch, ProgressLineOnRequestAndStatisticsOnlyWhenVerbose) {
  picture_in("a.bmp");
  ASSERT_EQ(run({"--to", "wsq", "--progress", in(), out()}), 0) << err;
  EXPECT_TRUE(has("\r1/1 files, ")) << err;
  EXPECT_TRUE(has(" elapsed, ETA ")) << err;
  fs::remove_all(out());
  ASSERT_EQ(run({"--to", "wsq", "--verbose", in(), out()}), 0);
  const std::string verbose = err;
  fs::remove_all(out());
  ASSERT_EQ(run({"--to", "wsq", in(), out()}), 0);
  EXPECT_EQ(err, "1 converted, 0 failed, 0 skipped\n");
  EXPECT_GT(verbose.size(), err.size()) << "the codec writes its statistics with --verbose";
}

TEST_F(Batch, ClashingOutputsAndOutputsThatAreInputsAreSkipped) {
  picture_in("a.png");
  picture_in("a.bmp");
  picture_in("b.bmp");
  ASSERT_EQ(run({"--to", "wsq", in(), out()}), 0) << err;
  EXPECT_EQ(files_below(out()), (std::set<std::string>{"b.wsq"}));
  EXPECT_TRUE(has("a.bmp: skipped: same output as a.png")) << err;
  EXPECT_TRUE(has("a.png: skipped: same output as a.bmp")) << err;
  EXPECT_TRUE(has("1 converted, 0 failed, 2 skipped")) << err;

  // Into its own folder: b.bmp -> b.png would be fine, but a.png -> a.png is the input.
  const std::vector<uint8_t> before = read_file_bytes(in() + "/a.png");
  ASSERT_EQ(run({"--to", "png", "--from", "png", in(), in()}), 0) << err;
  EXPECT_TRUE(has("is an input")) << err;
  EXPECT_EQ(read_file_bytes(in() + "/a.png"), before);
}

TEST_F(Batch, SkipExistingKeepsOutputsOtherwiseTheyAreReplaced) {
  picture_in("a.bmp");
  picture_in("b.bmp");
  write_bytes(out() + "/a.png", {'o', 'l', 'd'});
  ASSERT_EQ(run({"--to", "png", "--skip-existing", in(), out()}), 0) << err;
  EXPECT_EQ(read_file_bytes(out() + "/a.png"), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_TRUE(has("1 converted, 0 failed, 1 skipped")) << err;
  ASSERT_EQ(run({"--to", "png", in(), out()}), 0) << err;
  ImageRecord image;
  EXPECT_EQ(load_image(out() + "/a.png", image), NoError);
}

TEST_F(Batch, ShardsOneToNTogetherConvertEveryFileExactlyOnce) {
  std::set<std::string> expected;
  for (int i = 0; i < 11; ++i) {
    const std::string stem = (i % 3 == 0 ? "sub/f" : "f") + std::to_string(i);
    picture_in(stem + ".bmp", true, 16);
    expected.insert(stem + ".tga");
  }
  size_t converted = 0;
  for (int shard = 1; shard <= 4; ++shard) {
    const std::string out_dir = dir.file("out" + std::to_string(shard));
    ASSERT_EQ(run({"--to", "tga", "-r", "--shard", std::to_string(shard) + "/4", in(), out_dir}), 0) << err;
    for (const std::string& file : files_below(out_dir)) {
      EXPECT_TRUE(expected.count(file)) << file;
      fs::create_directories(fs::path(out() + "/" + file).parent_path());
      EXPECT_FALSE(fs::exists(out() + "/" + file)) << file << " converted twice";
      fs::copy_file(out_dir + "/" + file, out() + "/" + file);
      ++converted;
    }
  }
  EXPECT_EQ(files_below(out()), expected);
  EXPECT_EQ(converted, expected.size());
}

TEST_F(Batch, FilesFromListConvertsExactlyTheListedFiles) {
  picture_in("a.bmp");
  picture_in("b.bmp");
  picture_in("sub/c.bmp");
  const std::string list = dir.file("list.txt");
  std::ofstream(list) << "sub/c.bmp\n" << in() << "/a.bmp\n/not/inside.bmp\nmissing.bmp\n";
  EXPECT_EQ(run({"--to", "png", "--files-from", list, in(), out()}), 1);
  EXPECT_EQ(files_below(out()), (std::set<std::string>{"a.png", "sub/c.png"}));
  EXPECT_TRUE(has("wsqconv: /not/inside.bmp: not inside the input folder\n")) << err;
  EXPECT_TRUE(has("missing.bmp: Unable to open file\n")) << err;
  EXPECT_TRUE(has("2 converted, 2 failed, 0 skipped")) << err;

  // "-" reads the list from standard input.
  fs::remove_all(out());
  std::ofstream(list) << "b.bmp\n";
  const int status = in_child([&] {
    if (!freopen(list.c_str(), "r", stdin) || !freopen("/dev/null", "w", stderr)) return 99;
    return run_cli({"--to", "png", "--files-from", "-", in(), out()});
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(files_below(out()), (std::set<std::string>{"b.png"}));
}

TEST_F(Batch, UsageErrorsExitWithTwo) {
  EXPECT_EQ(run({"--to", "xyz", in(), out()}), 2);
  EXPECT_EQ(run({"--to", "png", "--from", "doc", in(), out()}), 2);
  EXPECT_EQ(run({"--to", "png", "--shard", "3/2", in(), out()}), 2);
  EXPECT_EQ(run({"-r", in(), out()}), 2);
  EXPECT_EQ(run({"--to", "png", dir.file("no-such-folder"), out()}), 2);
  EXPECT_TRUE(has("not a folder")) << err;
}

TEST_F(Batch, InputsThatVanishOrBecomeFoldersFailAloneAndTheRunGoesOn) {
  picture_in("a.bmp");
  picture_in("b.bmp");
  picture_in("c.bmp");
  const int status = plan_then_run({"--to", "png", in(), out()}, [&] {
    fs::remove(in() + "/a.bmp");
    fs::remove(in() + "/b.bmp");
    fs::create_directory(in() + "/b.bmp");
  });
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(has("wsqconv: " + in() + "/a.bmp: Unable to open file\n")) << err;
  EXPECT_TRUE(has("wsqconv: " + in() + "/b.bmp: not a regular file\n")) << err;
  EXPECT_TRUE(has("1 converted, 2 failed, 0 skipped")) << err;
  EXPECT_EQ(files_below(out()), (std::set<std::string>{"c.png"}));
}

TEST_F(Batch, AVanishedOutputFolderIsMadeAgainAndOneThatIsAFileFailsItsFiles) {
  picture_in("a.bmp");
  picture_in("sub/b.bmp");
  fs::create_directories(out() + "/sub");
  EXPECT_EQ(plan_then_run({"--to", "png", "-r", in(), out()}, [&] { fs::remove_all(out()); }), 0) << err;
  EXPECT_EQ(files_below(out()), (std::set<std::string>{"a.png", "sub/b.png"}));

  fs::remove_all(out());
  const int status = plan_then_run({"--to", "png", "-r", in(), out()}, [&] {
    fs::create_directories(out());
    write_bytes(out() + "/sub", {'x'});
  });
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(has("wsqconv: " + out() + "/sub/b.png: cannot create folder " + out() + "/sub: ")) << err;
  EXPECT_TRUE(fs::exists(out() + "/a.png"));
}

TEST_F(Batch, AFailedConversionLeavesTheExistingTargetUntouched) {
  write_bytes(in() + "/bad.bmp", {'B', 'M', 1, 2, 3});
  picture_in("good.bmp");
  write_bytes(out() + "/bad.png", {'o', 'l', 'd'});
  EXPECT_EQ(run({"--to", "png", in(), out()}), 1);
  EXPECT_TRUE(has("wsqconv: " + in() + "/bad.bmp: ")) << err;
  EXPECT_EQ(read_file_bytes(out() + "/bad.png"), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_TRUE(fs::exists(out() + "/good.png"));
  expect_no_temporaries();
}

TEST_F(Batch, LimitsRefuseLargeInputsNamingTheLimit) {
  picture_in("big.bmp", true, 80);
  picture_in("small.bmp", true, 16);
  EXPECT_EQ(run({"--to", "png", "--max-pixels", "1000", in(), out()}), 1);
  EXPECT_TRUE(has("big.bmp: Invalid requested image size (limit --max-pixels 1000)\n")) << err;
  EXPECT_EQ(files_below(out()), (std::set<std::string>{"small.png"}));
  fs::remove_all(out());
  EXPECT_EQ(run({"--to", "png", "--max-file-size", "2000", in(), out()}), 1);
  EXPECT_TRUE(has("big.bmp: file of ")) << err;
  EXPECT_TRUE(has("above the limit --max-file-size 2000")) << err;
  EXPECT_EQ(files_below(out()), (std::set<std::string>{"small.png"}));
}

constexpr int kCannotDropPrivileges = 98;

// Runs body in a child without root's right to read and write anything, so
// that file modes count; the test folder is opened to that user.
int without_privileges(const TempDir& dir, const std::function<int()>& body) {
  for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
    if (entry.is_directory() && entry.path().filename() != "ro") {
      fs::permissions(entry.path(), fs::perms::all);
    }
  }
  fs::permissions(dir.path(), fs::perms::all);
  return in_child([&] {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return kCannotDropPrivileges;
    if (!freopen((dir.path() / "err.txt").c_str(), "w", stderr)) return 99;
    return body();
  });
}

TEST_F(Batch, UnreadableInputsAndReadOnlyFoldersFailAlone) {
  picture_in("a.bmp");
  picture_in("locked.bmp");
  picture_in("ro/b.bmp");
  fs::create_directories(out() + "/ro");
  fs::permissions(in() + "/locked.bmp", fs::perms::none);
  fs::permissions(out() + "/ro", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(in() + "/ro", fs::perms::all);
  const int status = without_privileges(dir, [&] { return run_cli({"--to", "png", "-r", in(), out()}); });
  fs::permissions(out() + "/ro", fs::perms::all);
  if (status == kCannotDropPrivileges) GTEST_SKIP() << "running as root without the right to change user";
  err = std::string(reinterpret_cast<const char*>(read_file_bytes(dir.file("err.txt")).data()),
                    read_file_bytes(dir.file("err.txt")).size());
  EXPECT_EQ(status, 1) << err;
  EXPECT_TRUE(has("wsqconv: " + in() + "/locked.bmp: Unable to open file\n")) << err;
  EXPECT_TRUE(has("wsqconv: " + out() + "/ro/b.png: Unable to open file\n")) << err;
  EXPECT_TRUE(has("1 converted, 2 failed, 0 skipped")) << err;
  EXPECT_EQ(files_below(out()), (std::set<std::string>{"a.png"}));
}

TEST_F(Batch, AFullDiskFailsTheFilesThatDoNotFitAndLeavesNoPartialFile) {
  picture_in("big.bmp", true, 200);
  picture_in("small.bmp", true, 16);
  write_bytes(out() + "/big.bmp", {'o', 'l', 'd'});
  const std::string err_file = dir.file("err.txt");
  const int status = in_child([&] {
    // Files may grow to 4000 bytes; a write beyond fails instead of killing.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4000, 4000};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0 || !freopen(err_file.c_str(), "w", stderr)) return 99;
    return run_cli({"--to", "bmp", "-j", "1", in(), out()});
  });
  const std::vector<uint8_t> bytes = read_file_bytes(err_file);
  err.assign(bytes.begin(), bytes.end());
  EXPECT_EQ(status, 1) << err;
  EXPECT_TRUE(has("wsqconv: " + out() + "/big.bmp: Error writing to the output file\n")) << err;
  EXPECT_TRUE(has("1 converted, 1 failed, 0 skipped")) << err;
  EXPECT_EQ(read_file_bytes(out() + "/big.bmp"), (std::vector<uint8_t>{'o', 'l', 'd'}));
  ImageRecord small;
  EXPECT_EQ(load_image(out() + "/small.bmp", small), NoError);
  expect_no_temporaries();
}

TEST_F(Batch, CtrlCLetsFilesInFlightFinishAndLeavesNoPartialFile) {
  constexpr int kFiles = 300;
  for (int i = 0; i < kFiles; ++i) picture_in("f" + std::to_string(1000 + i) + ".bmp", true, 96);
  const pid_t child = fork();
  if (child == 0) {
    if (!freopen("/dev/null", "w", stderr)) _exit(99);
    _exit(run_cli({"--to", "wsq", "-j", "2", in(), out()}));
  }
  // Interrupt as soon as the first output is complete.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (files_below(out()).size() < 2 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  kill(child, SIGINT);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  const std::set<std::string> outputs = files_below(out());
  EXPECT_LT(outputs.size(), static_cast<size_t>(kFiles));
  for (const std::string& file : outputs) {
    ASSERT_EQ(file.find(".wsqtmp-"), std::string::npos) << file;
    ImageRecord image;
    EXPECT_EQ(load_image(out() + "/" + file, image), NoError) << file;
  }
}

}  // namespace
