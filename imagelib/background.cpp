#include "imagelib/background.h"

#include <algorithm>

#include "imagelib/image_library.h"

namespace {

struct Background {
  uint8_t colour[4] = {0, 0, 0, 0};
  ImageRecord image;
};

thread_local Background state;

}  // namespace

void reset_background() {
  state.colour[BackgroundRed] = state.colour[BackgroundGreen] = state.colour[BackgroundBlue] = 255;
  state.colour[BackgroundSpare] = 0;
  image_init(state.image);
}

uint8_t* background_colour() { return state.colour; }

ImageRecord* background_image() { return &state.image; }

void set_background_colour(const uint8_t* red_green_blue_spare) {
  std::copy_n(red_green_blue_spare, 4, state.colour);
}

ImageLibraryError set_background_from_bitmap(const Bitmap* bitmap) {
  ImageRecord image;
  const ImageLibraryError code = image_from_bitmap(bitmap, image, 0);
  if (code != NoError) return code;
  image_free(state.image);
  return image_to_true_colour(image, state.image);
}

ImageLibraryError set_background_image(const ImageRecord& image) {
  if (&image == &state.image) {
    ImageRecord copy;
    if (const ImageLibraryError code = image_copy(image, copy); code != NoError) return code;
    return set_background_image(copy);
  }
  image_free(state.image);
  return image_to_true_colour(image, state.image);
}
