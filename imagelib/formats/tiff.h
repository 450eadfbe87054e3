#pragma once
// TIFF files through libtiff.
#include <string>

#include "imagelib/image_record.h"

ImageLibraryError read_tiff(const std::string& filename, ImageRecord& image, TiffOptions* options);
ImageLibraryError write_tiff(const std::string& filename, const ImageRecord& image, const TiffOptions* options);
