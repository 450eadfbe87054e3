// Detecting and narrowing grey true-colour records.
#include "imagelib/grey_narrowing.h"

#include "imagelib/record_checks.h"

bool record_is_grey_true_colour(const ImageRecord& image) {
  if (image.bits_per_pixel != 24 || image.pixels.empty() || !image_buffers_consistent(image)) return false;
  for (uint32_t y = 0; y < image.height; ++y) {
    const uint8_t* pixel = image.row(y);
    for (uint32_t x = 0; x < image.width; ++x, pixel += 3) {
      if (pixel[0] != pixel[1] || pixel[1] != pixel[2]) return false;
    }
  }
  return true;
}

ImageLibraryError narrow_grey_record(ImageRecord& image) {
  if (!record_is_grey_true_colour(image)) return NoError;
  // The library's grey rule gives back the common value of equal channels.
  return image_to_grey(image);
}
