#pragma once
// The background that 32-bit pixels are composited over when a record
// becomes a bitmap: a colour and an image, kept per thread.
#include <cstdint>

#include "imagelib/bitmap.h"
#include "imagelib/image_record.h"

// Bytes of the background colour.
enum BackgroundByte { BackgroundRed = 0, BackgroundGreen = 1, BackgroundBlue = 2, BackgroundSpare = 3 };

// Colour white, no image.
void reset_background();
// This thread's background colour: four bytes red, green, blue, spare
// (initially all 0).
uint8_t* background_colour();
// This thread's background image (initially empty).
ImageRecord* background_image();
// Copies four bytes red, green, blue, spare into the background colour.
void set_background_colour(const uint8_t* red_green_blue_spare);
// The background image becomes a true-colour copy of the bitmap's image.
ImageLibraryError set_background_from_bitmap(const Bitmap* bitmap);
// The background image becomes a true-colour copy of the record.
ImageLibraryError set_background_image(const ImageRecord& image);
