// Fault injection around the library's writers and readers and the
// single-file wsqconv: a full disk, a read-only output folder, an output
// folder that is gone, and inputs that cannot be read. Each failure gives its
// code (and, from wsqconv, a message naming the file), leaves no partial or
// temporary file and leaves an existing target as it was.
//
// Tests run as root here and in CI, and root ignores permission bits: the
// read-only and unreadable cases run in a forked child that first becomes
// the user nobody. The full disk is a file size limit in a forked child.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "cli/wsqconv.h"
#include "imagelib/image_library.h"
#include "tests/reliability/child_process.h"
#include "tests/reliability/hostile_files.h"
#include "tests/reliability/sample_images.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "wsq/diagnostics.h"

namespace {

namespace fs = std::filesystem;

const char* const kWritable[] = {"wsq", "bmp", "tga", "rgb", "png", "tif", "jpg"};
const std::vector<uint8_t> kOldTarget = {'o', 'l', 'd'};

// The code of a failed write: the PNG and JPEG libraries report their own
// write errors, which the library gives as CorruptFile like any other error
// they raise; the other writers give WriteError.

std::set<std::string> names_in(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

ImageInfo wsq_info() {
  ImageInfo info;
  info.bitrate = 2.25;
  info.ppi = 500;
  return info;
}

// Saves a 200 x 200 picture (several kilobytes in every format) in a child
// whose files may not grow beyond 1024 bytes; returns the library's code.
int save_on_full_disk(const std::string& path) {
  const ImageRecord image = print_record(200, 200, 3);
  const ImageInfo info = wsq_info();
  ScopedDiagnostics quiet([](std::string_view) {});
  if (!limit_file_size(1024)) return 100;
  return save_image(image, path, &info);
}

TEST(Faults, AFullDiskFailsTheSaveAndLeavesTheTargetAsItWas) {
  for (const char* extension : kWritable) {
    TempDir dir;
    const std::string target = dir.file(std::string("picture.") + extension);
    write_file_bytes(target, kOldTarget);
    const ChildResult child = run_in_child([&] { return save_on_full_disk(target); });
    EXPECT_EQ(child.status, WriteError) << extension;
    EXPECT_EQ(read_file_bytes(target), kOldTarget) << extension;
    EXPECT_EQ(names_in(dir.path()), std::set<std::string>{fs::path(target).filename().string()}) << extension;
  }
}

TEST(Faults, AFullDiskLeavesNoFileWhereThereWasNone) {
  for (const char* extension : kWritable) {
    TempDir dir;
    const std::string target = dir.file(std::string("picture.") + extension);
    const ChildResult child = run_in_child([&] { return save_on_full_disk(target); });
    EXPECT_EQ(child.status, WriteError) << extension;
    EXPECT_TRUE(names_in(dir.path()).empty()) << extension;
  }
}

// A folder nobody may write to, inside one nobody may enter, with an old
// target in it.
struct ReadOnlyFolder {
  TempDir dir;
  fs::path folder = dir.path() / "read-only";
  ReadOnlyFolder() {
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::create_directory(folder);
  }
  void seal() { fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                            fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec); }
  ~ReadOnlyFolder() { fs::permissions(folder, fs::perms::owner_all); }
};

TEST(Faults, AReadOnlyFolderRefusesTheSaveAndKeepsTheTarget) {
  for (const char* extension : kWritable) {
    ReadOnlyFolder place;
    const std::string target = (place.folder / (std::string("picture.") + extension)).string();
    write_file_bytes(target, kOldTarget);
    place.seal();
    const ChildResult child = run_in_child([&] {
      const ImageRecord image = print_record(80, 80, 2);
      const ImageInfo info = wsq_info();
      ScopedDiagnostics quiet([](std::string_view) {});
      if (!become_ordinary_user()) return 100;
      return static_cast<int>(save_image(image, target, &info));
    });
    EXPECT_EQ(child.status, CannotOpenFile) << extension;
    EXPECT_EQ(read_file_bytes(target), kOldTarget) << extension;
    EXPECT_EQ(names_in(place.folder).size(), 1u) << extension;
  }
}

TEST(Faults, AMissingOutputFolderRefusesTheSaveAndCreatesNothing) {
  TempDir dir;
  write_file_bytes(dir.file("plain-file"), kOldTarget);
  fs::create_directory(dir.path() / "gone");
  fs::remove(dir.path() / "gone");
  const ImageRecord image = print_record(80, 80, 2);
  const ImageInfo info = wsq_info();
  ScopedDiagnostics quiet([](std::string_view) {});
  for (const char* extension : kWritable) {
    const std::string name = std::string("picture.") + extension;
    EXPECT_EQ(save_image(image, dir.file("gone/" + name), &info), CannotOpenFile) << extension;
    // A folder in the path that is a regular file.
    EXPECT_EQ(save_image(image, dir.file("plain-file/" + name), &info), CannotOpenFile) << extension;
  }
  EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"plain-file"});
  EXPECT_EQ(read_file_bytes(dir.file("plain-file")), kOldTarget);
}

// One file per readable format: real files for the writable ones, the
// hostile headers for the rest (they are never opened here).
std::vector<hostile::HostileFile> one_file_per_format(const std::string& folder) {
  std::vector<hostile::HostileFile> files = hostile::all(folder);
  for (hostile::HostileFile& file : files) {
    const std::vector<uint8_t> real = hostile::written(folder, file.extension);
    if (!real.empty()) file.bytes = real;
  }
  return files;
}

TEST(Faults, AnUnreadableInputCannotBeOpened) {
  TempDir dir;
  fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_exec);
  for (const hostile::HostileFile& file : one_file_per_format(dir.path().string())) {
    const std::string path = dir.file("locked." + file.extension);
    write_file_bytes(path, file.bytes);
    fs::permissions(path, fs::perms::none);
    const ChildResult child = run_in_child([&] {
      ScopedDiagnostics quiet([](std::string_view) {});
      if (!become_ordinary_user()) return 100;
      ImageRecord image;
      ImageInfo info;
      return static_cast<int>(load_image(path, image, &info));
    });
    EXPECT_EQ(child.status, CannotOpenFile) << file.extension;
  }
}

TEST(Faults, AnInputThatVanishedOrBecameAFolderCannotBeOpened) {
  TempDir dir;
  ScopedDiagnostics quiet([](std::string_view) {});
  for (const hostile::HostileFile& file : one_file_per_format(dir.path().string())) {
    const std::string path = dir.file("input." + file.extension);
    write_file_bytes(path, file.bytes);
    fs::remove(path);
    ImageRecord image;
    ImageInfo info;
    EXPECT_EQ(load_image(path, image, &info), CannotOpenFile) << file.extension;
    fs::create_directory(path);
    EXPECT_EQ(load_image(path, image, &info), CannotOpenFile) << file.extension;
    EXPECT_EQ(get_last_error(), CannotOpenFile) << file.extension;
    EXPECT_TRUE(image.pixels.empty());
  }
}

// wsqconv with the arguments, in a child that first applies setup; returns
// the exit code and what it wrote to standard error.
ChildResult wsqconv_in_child(std::vector<std::string> arguments, const std::function<bool()>& setup) {
  return run_in_child([&] {
    if (!setup()) return 100;
    arguments.insert(arguments.begin(), "wsqconv");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    return run_wsqconv(static_cast<int>(argv.size()), argv.data());
  });
}

class WsqconvFaults : public testing::Test {
 protected:
  WsqconvFaults() {
    fs::permissions(dir_.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    EXPECT_EQ(save_image(print_record(200, 200, 8), input_), NoError);
  }
  TempDir dir_;
  std::string input_ = dir_.file("input.png");
};

TEST_F(WsqconvFaults, AFullDiskNamesTheOutputAndKeepsTheTarget) {
  const std::string output = dir_.file("out.bmp");
  write_file_bytes(output, kOldTarget);
  const ChildResult child = wsqconv_in_child({"--quiet", input_, output}, [] { return limit_file_size(1024); });
  EXPECT_EQ(child.status, 1);
  EXPECT_EQ(child.error_output, "wsqconv: " + output + ": Error writing to the output file\n");
  EXPECT_EQ(read_file_bytes(output), kOldTarget);
  EXPECT_EQ(names_in(dir_.path()), (std::set<std::string>{"input.png", "out.bmp"}));
}

TEST_F(WsqconvFaults, AReadOnlyFolderNamesTheOutputAndKeepsTheTarget) {
  const fs::path folder = dir_.path() / "read-only";
  fs::create_directory(folder);
  const std::string output = (folder / "out.wsq").string();
  write_file_bytes(output, kOldTarget);
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                              fs::perms::others_exec);
  fs::permissions(input_, fs::perms::others_read, fs::perm_options::add);
  const ChildResult child = wsqconv_in_child({"--quiet", input_, output}, become_ordinary_user);
  fs::permissions(folder, fs::perms::owner_all);
  EXPECT_EQ(child.status, 1);
  EXPECT_EQ(child.error_output, "wsqconv: " + output + ": Unable to open file\n");
  EXPECT_EQ(read_file_bytes(output), kOldTarget);
  EXPECT_EQ(names_in(folder), std::set<std::string>{"out.wsq"});
}

TEST_F(WsqconvFaults, AMissingOutputFolderNamesTheOutput) {
  const std::string output = dir_.file("gone/out.tif");
  const ChildResult child = wsqconv_in_child({"--quiet", input_, output}, [] { return true; });
  EXPECT_EQ(child.status, 1);
  EXPECT_EQ(child.error_output, "wsqconv: " + output + ": Unable to open file\n");
  EXPECT_EQ(names_in(dir_.path()), std::set<std::string>{"input.png"});
}

TEST_F(WsqconvFaults, AnUnreadableMissingOrFolderInputNamesTheInput) {
  const std::string output = dir_.file("out.tga");
  fs::permissions(input_, fs::perms::owner_read | fs::perms::owner_write);
  const std::string folder_input = dir_.file("folder.png");
  fs::create_directory(folder_input);
  for (const std::string& input : {input_, dir_.file("missing.png"), folder_input}) {
    const ChildResult child = wsqconv_in_child({input, output}, become_ordinary_user);
    EXPECT_EQ(child.status, 1) << input;
    const std::string reason = input == folder_input ? "not a regular file" : "Unable to open file";
    EXPECT_EQ(child.error_output, "wsqconv: " + input + ": " + reason + "\n") << input;
  }
  EXPECT_FALSE(fs::exists(output));
}

}  // namespace
