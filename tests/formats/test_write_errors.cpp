// Every writer reports a failed write (here: the file size limit of a full
// disk) as a write error and leaves an existing target as it was.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "imagelib/errors.h"
#include "imagelib/image_library.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

// A 200 x 200 picture of varied colours: every format needs well over the
// limit below to store it.
ImageRecord busy_picture() {
  ImageRecord image;
  image.width = 200;
  image.height = 200;
  image.bits_per_pixel = 24;
  EXPECT_EQ(image_allocate(image), NoError);
  uint32_t state = 12345;
  for (auto& byte : image.pixels) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<uint8_t>(state >> 16);
  }
  return image;
}

// Saves in a child process whose files may not grow past 512 bytes and
// returns the code the save gave.
int save_with_full_disk(const ImageRecord& image, const std::string& path) {
  const pid_t child = fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{512, 512};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(100);
    ImageInfo info;
    info.bitrate = 2.25;
    info.ppi = 500;
    _exit(save_image(image, path, &info, nullptr));
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(WriteErrors, FullDiskGivesCodeTwelveAndKeepsTheTarget) {
  const ImageRecord image = busy_picture();
  for (const char* extension : {"bmp", "tga", "rgb", "png", "tif", "jpg", "wsq"}) {
    TempDir dir;
    const std::string target = dir.file(std::string("out.") + extension);
    write_file_bytes(target, {1, 2, 3});
    EXPECT_EQ(save_with_full_disk(image, target), WriteError) << extension;
    EXPECT_EQ(read_file_bytes(target), (std::vector<uint8_t>{1, 2, 3})) << extension;
    // Nothing else is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << extension;
  }
  set_last_error(WriteError);
  EXPECT_STREQ(get_last_error_message(), "Error writing to the output file");
}

}  // namespace
