#pragma once
// What the WSQ writer is given. It takes 8-bit samples as grey levels and
// makes 24-bit pixels grey by the library's rule; anything else is first
// turned into one of those, so that a palette picture is encoded as its
// colours rather than as its index numbers.
#include "imagelib/image_record.h"

// Leaves 8-bit grey-ramp and 24-bit records as they are, widens palette and
// 16-bit records to 24 bits and drops the alpha byte of 32-bit records.
// The resolution is kept. Returns the library's code.
ImageLibraryError prepare_for_wsq(ImageRecord& image);
