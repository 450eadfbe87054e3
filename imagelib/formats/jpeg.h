#pragma once
// JPEG files through libjpeg.
#include <string>

#include "imagelib/image_record.h"

ImageLibraryError read_jpeg(const std::string& filename, ImageRecord& image);
ImageLibraryError write_jpeg(const std::string& filename, const ImageRecord& image, int32_t quality);
