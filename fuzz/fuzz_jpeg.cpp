// Fuzzes the JPEG reader with arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "imagelib/formats/jpeg.h"
#include "wsq/diagnostics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScopedDiagnostics quiet([](std::string_view) {});
  FuzzInputFile input(data, size, ".jpg");
  if (!input.ok()) return 0;
  ImageRecord image;
  image.max_pixels = kFuzzMaxPixels;
  read_jpeg(input.path(), image);
  return 0;
}
