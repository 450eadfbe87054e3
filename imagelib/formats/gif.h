#pragma once
// GIF files through giflib.
#include <string>

#include "imagelib/image_record.h"

ImageLibraryError read_gif(const std::string& filename, ImageRecord& image);
