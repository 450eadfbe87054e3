#pragma once
// Windows and OS/2 bitmap files.
#include <string>

#include "imagelib/image_record.h"

ImageLibraryError read_bmp(const std::string& filename, ImageRecord& image);
ImageLibraryError write_bmp(const std::string& filename, const ImageRecord& image);
