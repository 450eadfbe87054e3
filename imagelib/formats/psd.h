#pragma once
// Photoshop PSD files.
#include <string>

#include "imagelib/image_record.h"

ImageLibraryError read_psd(const std::string& filename, ImageRecord& image);
