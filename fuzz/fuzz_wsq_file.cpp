// Fuzzes the WSQ file reader. A file it accepts must be a 24-bit grey record
// that converts to a bitmap and encodes again; a refused one must fail as
// corrupt or too large.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "imagelib/image_library.h"
#include "imagelib/wsq_adapter.h"
#include "wsq/diagnostics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScopedDiagnostics quiet([](std::string_view) {});
  FuzzInputFile input(data, size, ".wsq");
  if (!input.ok()) return 0;
  ImageRecord image;
  image.max_pixels = uint64_t{1} << 20;
  ImageInfo info;
  info.bitrate = 0.75;
  const ImageLibraryError code = read_wsq(input.path(), image, &info);
  if (code == NoError) {
    if (image.bits_per_pixel != 24 || image.row_stride != 3 * image.width) std::abort();
    if (!image_to_dib_section(image)) std::abort();
    if (write_wsq(input.path(), image, &info) != NoError && image.width >= 65 && image.height >= 65) std::abort();
  } else if (code != CorruptData && code != BadImageSize) {
    std::abort();
  }
  return 0;
}
