// Fuzzes the PNG reader with arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "imagelib/formats/png.h"
#include "wsq/diagnostics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScopedDiagnostics quiet([](std::string_view) {});
  FuzzInputFile input(data, size, ".png");
  if (!input.ok()) return 0;
  ImageRecord image;
  image.max_pixels = kFuzzMaxPixels;
  read_png(input.path(), image);
  return 0;
}
