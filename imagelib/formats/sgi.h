#pragma once
// SGI RGB files.
#include <string>

#include "imagelib/image_record.h"

ImageLibraryError read_rgb(const std::string& filename, ImageRecord& image);
ImageLibraryError write_rgb(const std::string& filename, const ImageRecord& image);
