#pragma once
// Decoding of a FLIC-structured cel held in memory.
#include <cstdint>
#include <span>

#include "imagelib/image_record.h"

ImageLibraryError decode_flic_cel(std::span<const uint8_t> file, ImageRecord& image);
