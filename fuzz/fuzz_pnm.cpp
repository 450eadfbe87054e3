// Fuzzes the PGM/PPM reader. Every picture the reader accepts must also write
// and read back at the same size and depth.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "imagelib/formats/pnm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInputFile input(data, size, ".pnm");
  if (!input.ok()) return 0;
  ImageRecord image;
  image.max_pixels = kFuzzMaxPixels;
  if (read_pnm(input.path(), image) != NoError) return 0;
  ImageRecord back;
  back.max_pixels = image.max_pixels;
  if (write_pnm(input.path(), image, "PNM") != NoError || read_pnm(input.path(), back) != NoError) std::abort();
  if (back.width != image.width || back.height != image.height || back.bits_per_pixel != image.bits_per_pixel) {
    std::abort();
  }
  return 0;
}
