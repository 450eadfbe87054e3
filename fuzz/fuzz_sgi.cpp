// Fuzzes the SGI RGB reader. Every picture the reader accepts must also write and
// read back at the same size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "imagelib/formats/sgi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInputFile input(data, size, ".rgb");
  if (!input.ok()) return 0;
  ImageRecord image;
  image.max_pixels = kFuzzMaxPixels;
  if (read_rgb(input.path(), image) != NoError) return 0;
  ImageRecord back;
  back.max_pixels = image.max_pixels;
  if (write_rgb(input.path(), image) != NoError || read_rgb(input.path(), back) != NoError) std::abort();
  if (back.width != image.width || back.height != image.height) std::abort();
  return 0;
}
