#pragma once
// Autodesk Animator CEL files and FLIC-structured cels.
#include <string>

#include "imagelib/image_record.h"

// Reads either layout, chosen by its magic number.
ImageLibraryError read_cel(const std::string& filename, ImageRecord& image);
// An Animator cel: 32-byte header, 6-bit palette, raw pixels.
ImageLibraryError read_animator_cel(const std::string& filename, ImageRecord& image);
// A FLIC-structured cel: the first frame that carries a palette or pixels.
ImageLibraryError read_flic_cel(const std::string& filename, ImageRecord& image);
