#pragma once
// The image library's front door: load files into records, platform bitmaps
// or BGRA buffers, and save bitmaps, records or raw pixels, choosing the
// reader or writer by the file name's extension.
#include <cstdint>
#include <string>
#include <vector>

#include "imagelib/background.h"
#include "imagelib/bitmap.h"
#include "imagelib/bitmap_ops.h"
#include "imagelib/compositing.h"
#include "imagelib/image_record.h"

// How image_to_dib_section treats 32-bit pixels.
enum CompositeMode : int32_t {
  CompositeNone = 0,       // pixels as they are (what the viewer uses)
  CompositeOverColour = 1, // over the background colour
  CompositeOverImage = 2,  // over the background image
};

// Loads the file into image by its extension. info is used by WSQ files,
// tiff by TIFF files; either may be null.
ImageLibraryError load_image(const std::string& filename, ImageRecord& image,
                             ImageInfo* info = nullptr, TiffOptions* tiff = nullptr);
// A new DIB-section bitmap of the file's image, or null (the last error says why).
BitmapHandle load_image_to_bitmap(const std::string& filename, ImageInfo* info,
                                  TiffOptions* tiff, CompositeMode mode = CompositeNone);
// 32-bit pixels, rows bottom row first without padding (the buffer is an
// owned vector, so no separate release call exists); blue, green, red,
// alpha with keep_bgr, else red, green, blue, alpha.
ImageLibraryError load_image_to_bgra(const std::string& filename, uint32_t& width, uint32_t& height,
                                     std::vector<uint8_t>& buffer, bool keep_bgr);
ImageLibraryError image_to_bgra(const ImageRecord& image, uint32_t& width, uint32_t& height,
                                std::vector<uint8_t>& buffer, bool keep_bgr);

// Saves the bitmap's image by the file's extension (WSQ needs info; JPEG
// takes its quality from info, 100 without; TIFF uses tiff when given).
ImageLibraryError save_bitmap(const Bitmap* bitmap, const std::string& filename,
                              const ImageInfo* info = nullptr, const TiffOptions* tiff = nullptr);
// Saves a record by the file's extension, with the same writers and options
// as save_bitmap.
ImageLibraryError save_image(const ImageRecord& image, const std::string& filename,
                             const ImageInfo* info = nullptr, const TiffOptions* tiff = nullptr);
// Saves a raw interleaved buffer of bytes_per_pixel bytes per pixel, first row first.
ImageLibraryError save_pixels(const std::string& filename, uint8_t bytes_per_pixel, uint32_t width,
                              uint32_t height, const uint8_t* data, bool keep_order);

// Conversions between records and platform bitmaps.
ImageLibraryError image_from_bitmap(const Bitmap* bitmap, ImageRecord& image, int32_t unblend);
BitmapHandle image_to_dib_section(const ImageRecord& image, CompositeMode mode = CompositeNone);
