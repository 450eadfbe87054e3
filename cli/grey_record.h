#pragma once
// Grey pictures written as grey: a true-colour record whose every pixel has
// equal red, green and blue (a WSQ file always loads so) becomes an 8-bit
// record with the grey ramp, which every writer stores as grey samples.
#include "imagelib/image_record.h"

bool record_is_grey_true_colour(const ImageRecord& image);

// Narrows a grey true-colour record to 8 bits; leaves any other as it is.
// False when the narrowing fails (memory).
bool narrow_grey_record(ImageRecord& image);
