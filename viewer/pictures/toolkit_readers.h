#pragma once
// Readers for the readable extensions the program does not register itself,
// as the format table assigns them: the image library's readers where one
// fits (bmp, dib, rle; win, vst, vda, icb; sgi, bw; pcc; psd, pdd; tif),
// then Qt's (ico, ppm, pgm, pbm, jfif). Every other readable extension is
// refused with a message naming the file. These readers throw ToolkitError on any failure, and keep a
// reference to limits, which every read obeys, and to read_ppi, which receives
// the resolution the file records (-1 for none, and for Qt's readers).
#include <cstdint>

#include "viewer/logic/load_limits.h"

class PictureRegistry;

void register_toolkit_readers(PictureRegistry& registry, const LoadLimits& limits, int32_t& read_ppi);
