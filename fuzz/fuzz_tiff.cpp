// Feeds arbitrary bytes to the TIFF reader through a temporary file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "imagelib/formats/tiff.h"
#include "wsq/diagnostics.h"

namespace {

// Keeps each run's memory small; larger declared sizes are refused.
constexpr uint64_t kMaxPixels = uint64_t{1} << 22;

// The input written to a fresh temporary file, removed afterwards.
class InputFile {
 public:
  InputFile(const uint8_t* data, size_t size) {
    char pattern[] = "/tmp/fuzz_tiff-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd < 0) std::abort();
    path_ = pattern;
    for (size_t done = 0; done < size;) {
      const ssize_t written = write(fd, data + done, size - done);
      if (written <= 0) std::abort();
      done += static_cast<size_t>(written);
    }
    close(fd);
  }
  ~InputFile() { unlink(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScopedDiagnostics quiet([](std::string_view) {});
  InputFile input(data, size);
  TiffOptions options;
  ImageRecord with_options;
  with_options.max_pixels = kMaxPixels;
  read_tiff(input.path(), with_options, &options);
  ImageRecord image;
  image.max_pixels = kMaxPixels;
  read_tiff(input.path(), image, nullptr);
  return 0;
}
