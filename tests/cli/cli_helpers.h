#pragma once
// Helpers of the wsqconv tests: running the command in process, writing
// small pictures and listing folders.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "cli/wsqconv.h"
#include "imagelib/image_library.h"
#include "tests/support/files.h"
#include "wsq/diagnostics.h"

inline int run_cli(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "wsqconv");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  return run_wsqconv(static_cast<int>(argv.size()), argv.data());
}

// A width x height picture: grey (24-bit with equal channels) or coloured.
inline ImageRecord picture(uint32_t width, uint32_t height, bool grey, int32_t ppi = -1) {
  ImageRecord image;
  image.width = width;
  image.height = height;
  image.bits_per_pixel = 24;
  image_allocate(image);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* pixel = image.row(y) + 3 * x;
      const uint8_t level = static_cast<uint8_t>((x * 7 + y * 13) % 256);
      pixel[0] = level;
      pixel[1] = grey ? level : static_cast<uint8_t>(255 - level);
      pixel[2] = grey ? level : static_cast<uint8_t>(x * 3);
    }
  }
  image.ppi = ppi;
  return image;
}

inline void save_picture(const std::string& path, const ImageRecord& image) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  ImageInfo info;
  info.bitrate = 2.0;
  info.ppi = image.ppi;
  const ScopedDiagnostics silence([](std::string_view) {});
  ASSERT_EQ(save_image(image, path, &info), NoError) << path << ": " << get_last_error_message();
}

inline void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  write_file_bytes(path, bytes);
}

// Every regular file below root, as '/'-separated relative paths.
inline std::set<std::string> files_below(const std::filesystem::path& root) {
  std::set<std::string> files;
  if (!std::filesystem::exists(root)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files.insert(entry.path().lexically_relative(root).generic_string());
  }
  return files;
}

// Runs body in a child process and returns its exit status (-signal when
// killed by one).
inline int in_child(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) {
    const int status = body();
    std::fflush(nullptr);
    _exit(status);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}
