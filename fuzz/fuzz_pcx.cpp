// Fuzzes the PCX reader with arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "imagelib/formats/pcx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInputFile input(data, size, ".pcx");
  if (!input.ok()) return 0;
  ImageRecord image;
  image.max_pixels = kFuzzMaxPixels;
  read_pcx(input.path(), image);
  return 0;
}
