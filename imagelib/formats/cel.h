#pragma once
// Autodesk Animator CEL files and FLIC-structured cels.
#include <string>

#include "imagelib/image_record.h"

ImageLibraryError read_cel(const std::string& filename, ImageRecord& image);
