#pragma once
// Grey pictures kept grey: a true-colour record whose every pixel has equal
// red, green and blue (a WSQ file always loads so) becomes an 8-bit record
// with the grey ramp, which every writer stores as grey samples.
#include "imagelib/image_record.h"

// True for a 24-bit record with pixels whose three bytes are all equal.
bool record_is_grey_true_colour(const ImageRecord& image);

// Narrows a grey true-colour record to 8 bits, each pixel its common byte;
// leaves any other record as it is. Returns the library's code (memory).
ImageLibraryError narrow_grey_record(ImageRecord& image);
