// Fuzzes the CEL (Animator and FLIC-structured cels) reader with arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "imagelib/formats/cel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInputFile input(data, size, ".cel");
  if (!input.ok()) return 0;
  ImageRecord image;
  image.max_pixels = kFuzzMaxPixels;
  read_cel(input.path(), image);
  return 0;
}
