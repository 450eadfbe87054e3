#pragma once
// Netpbm grey and colour files: PGM and PPM, binary (P5, P6) and plain text
// (P2, P3). Samples above 8 bits are scaled to 8.
#include <string>

#include "imagelib/image_record.h"

// Grey files become 8-bit records with the grey ramp, colour files 24-bit.
ImageLibraryError read_pnm(const std::string& filename, ImageRecord& image);

// Writes a binary file: P5 for key "PGM" (colour made grey by the library's
// rule), P6 for "PPM", and for "PNM" P5 when the picture is grey, else P6.
ImageLibraryError write_pnm(const std::string& filename, const ImageRecord& image, const std::string& key);
