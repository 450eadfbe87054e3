// Turning any record into one the WSQ writer encodes faithfully.
#include "imagelib/wsq_input.h"

#include <algorithm>

#include "imagelib/formats/grey_palette.h"

namespace {

bool holds_grey_levels(const ImageRecord& image) {
  return image.bits_per_pixel == 8 && (!image.has_palette() || palette_is_grey_ramp(image));
}

// The blue, green and red bytes of each 32-bit pixel, in place.
void drop_alpha(ImageRecord& image) {
  const uint32_t stride = image.width * 3;
  for (uint32_t y = 0; y < image.height; ++y) {
    const uint8_t* in = image.row(y);
    uint8_t* out = image.pixels.data() + static_cast<size_t>(y) * stride;
    for (uint32_t x = 0; x < image.width; ++x) std::copy_n(in + 4 * x, 3, out + 3 * x);
  }
  image.bits_per_pixel = 24;
  image.row_stride = stride;
  image.pad_rows = 0;
  image.pixels.resize(static_cast<size_t>(stride) * image.height);
}

}  // namespace

ImageLibraryError prepare_for_wsq(ImageRecord& image) {
  if (image.bits_per_pixel == 24 || holds_grey_levels(image)) return NoError;
  if (image.bits_per_pixel == 32) {
    drop_alpha(image);
    return NoError;
  }
  const int32_t ppi = image.ppi;
  if (const ImageLibraryError code = image_to_true_colour(image, image); code != NoError) return code;
  image.ppi = ppi;
  return NoError;
}
