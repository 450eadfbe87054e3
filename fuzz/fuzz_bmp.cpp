// Fuzzes the bitmap file reader. The reader takes a file name, so each input
// is written to a file of this process first. Every picture the reader
// accepts must write and read back to the same pixels (alpha aside), and
// convert to a bitmap and to BGRA.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "imagelib/formats/bmp.h"
#include "imagelib/image_library.h"

namespace {

void check_round_trip(const std::string& path, const ImageRecord& image) {
  ImageRecord back;
  back.max_pixels = image.max_pixels;
  if (write_bmp(path, image) != NoError || read_bmp(path, back) != NoError) std::abort();
  if (back.width != image.width || back.height != image.height) std::abort();
  if (image.bits_per_pixel != 32 && back.pixels != image.pixels) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/fuzz_bmp_" + std::to_string(::getpid()) + ".bmp";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  const bool written = std::fwrite(data, 1, size, file) == size;
  std::fclose(file);
  ImageRecord image;
  image.max_pixels = 1 << 22;  // keeps each run quick; larger sizes take the same paths
  if (written && read_bmp(path, image) == NoError) {
    if (!image_to_dib_section(image)) std::abort();
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> bgra;
    if (image_to_bgra(image, width, height, bgra, true) != NoError) std::abort();
    check_round_trip(path, image);
  }
  std::remove(path.c_str());
  return 0;
}
