// Fuzzes the bitmap file reader. Every picture the reader accepts must write
// and read back to the same pixels (alpha aside), and convert to a bitmap and
// to BGRA.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
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
  FuzzInputFile input(data, size, ".bmp");
  if (!input.ok()) return 0;
  ImageRecord image;
  image.max_pixels = kFuzzMaxPixels;
  if (read_bmp(input.path(), image) != NoError) return 0;
  if (!image_to_dib_section(image)) std::abort();
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> bgra;
  if (image_to_bgra(image, width, height, bgra, true) != NoError) std::abort();
  check_round_trip(input.path(), image);
  return 0;
}
