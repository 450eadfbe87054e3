#pragma once
// WSQ files through the WSQ codec, and whole-file raw I/O.
#include <string>

#include "imagelib/image_record.h"

ImageLibraryError read_wsq(const std::string& filename, ImageRecord& image, ImageInfo* info);
ImageLibraryError write_wsq(const std::string& filename, const ImageRecord& image, const ImageInfo* info);
