#pragma once
// ZSoft PCX files.
#include <string>

#include "imagelib/image_record.h"

ImageLibraryError read_pcx(const std::string& filename, ImageRecord& image);
