// Fuzzes the TIFF reader with arbitrary bytes, with and without options.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "imagelib/formats/tiff.h"
#include "wsq/diagnostics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScopedDiagnostics quiet([](std::string_view) {});
  FuzzInputFile input(data, size, ".tif");
  if (!input.ok()) return 0;
  TiffOptions options;
  ImageRecord with_options;
  with_options.max_pixels = kFuzzMaxPixels;
  read_tiff(input.path(), with_options, &options);
  ImageRecord image;
  image.max_pixels = kFuzzMaxPixels;
  read_tiff(input.path(), image, nullptr);
  return 0;
}
