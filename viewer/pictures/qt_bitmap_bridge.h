#pragma once
// The one place where the image library's platform bitmaps meet Qt images.
#include <QImage>

#include "imagelib/bitmap.h"

// A copy of the bitmap as a Qt image (1, 4 and 8 bits through the colour
// table, 16 bits as 5-5-5, 24 and 32 bits as they are, the fourth byte of
// 32-bit pixels ignored). A null image when the bitmap is malformed.
QImage qimage_from_bitmap(const Bitmap& bitmap);

// A 24-bit bottom-up DIB section of the image; null for a null image.
BitmapHandle bitmap_from_qimage(const QImage& image);
