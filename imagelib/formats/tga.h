#pragma once
// Truevision Targa files.
#include <string>

#include "imagelib/image_record.h"

ImageLibraryError read_tga(const std::string& filename, ImageRecord& image);
ImageLibraryError write_tga(const std::string& filename, const ImageRecord& image);
