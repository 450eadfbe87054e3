// Fuzzes WSQ file loading through the adapter. The adapter takes a file
// name, so each input is written to a file of this process first. Every
// picture that loads must convert to a bitmap and save again as WSQ.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "imagelib/image_library.h"
#include "imagelib/wsq_adapter.h"
#include "wsq/diagnostics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/fuzz_wsq_" + std::to_string(::getpid()) + ".wsq";
  ScopedDiagnostics quiet([](std::string_view) {});
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  const bool written = std::fwrite(data, 1, size, file) == size;
  std::fclose(file);
  ImageRecord image;
  image.max_pixels = 1 << 20;  // keeps each run quick; larger sizes take the same paths
  ImageInfo info;
  info.bitrate = 0.75;
  const ImageLibraryError code = written ? read_wsq(path, image, &info) : CannotOpenFile;
  if (code == NoError) {
    if (image.bits_per_pixel != 24 || image.row_stride != 3 * image.width) std::abort();
    if (!image_to_dib_section(image)) std::abort();
    if (write_wsq(path, image, &info) != NoError && image.width >= 65 && image.height >= 65) std::abort();
  } else if (code != CorruptData && code != BadImageSize) {
    std::abort();
  }
  std::remove(path.c_str());
  return 0;
}
