#pragma once
// IFF/ILBM files.
#include <string>

#include "imagelib/image_record.h"

ImageLibraryError read_iff(const std::string& filename, ImageRecord& image);
