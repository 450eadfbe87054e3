#pragma once
// PNG files through libpng.
#include <string>

#include "imagelib/image_record.h"

ImageLibraryError read_png(const std::string& filename, ImageRecord& image);
ImageLibraryError write_png(const std::string& filename, const ImageRecord& image);
