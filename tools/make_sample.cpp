// Writes the bundled sample: a synthetic fingerprint-like image saved as WSQ.
//   make_sample OUTPUT.wsq [WIDTH HEIGHT]
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "imagelib/image_library.h"
#include "tools/synthetic_print.h"

namespace {

// An 8-bit grey record (identity palette, rows bottom-up) of top-down pixels.
bool make_grey_record(const std::vector<uint8_t>& pixels, int width, int height, ImageRecord& image) {
  image.width = static_cast<uint32_t>(width);
  image.height = static_cast<uint32_t>(height);
  image.bits_per_pixel = 8;
  image.palette_count = 256;
  image.palette_entry_size = 3;
  if (image_allocate(image) != NoError) return false;
  for (int i = 0; i < 256; ++i) std::memset(&image.palette[static_cast<size_t>(i) * 3], i, 3);
  for (int y = 0; y < height; ++y) {
    std::memcpy(image.row(static_cast<uint32_t>(height - 1 - y)), &pixels[static_cast<size_t>(y) * width],
                static_cast<size_t>(width));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) {
    std::fprintf(stderr, "usage: make_sample OUTPUT.wsq [WIDTH HEIGHT]\n");
    return 2;
  }
  const int width = argc == 4 ? std::atoi(argv[2]) : 800;
  const int height = argc == 4 ? std::atoi(argv[3]) : 750;
  ImageRecord image;
  if (width < 1 || height < 1 || !make_grey_record(make_synthetic_print(width, height), width, height, image)) {
    std::fprintf(stderr, "make_sample: cannot make a %d x %d image\n", width, height);
    return 1;
  }
  ImageInfo info;
  info.bitrate = 0.75;
  info.ppi = 500;
  info.comment = "Synthetic fingerprint made by wsqview's sample generator";
  if (save_image(image, argv[1], &info) != NoError) {
    std::fprintf(stderr, "make_sample: %s: %s\n", argv[1], get_last_error_message());
    return 1;
  }
  return 0;
}
