#pragma once
// An 8-bit grey record of a 24-bit one: each pixel the mean of its three
// bytes (rounded down), rows in the same order, with a grey palette.
#include "imagelib/image_record.h"

ImageLibraryError grey_record_of(const ImageRecord& colour, ImageRecord& grey);
