#pragma once
// The frame shared by the hand-written readers (CEL, IFF/ILBM, PSD): read the
// whole file, decode it from memory, and on failure leave the record without
// buffers and record the code as the last error.
#include <cstdint>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "imagelib/file_io.h"
#include "imagelib/image_record.h"
#include "imagelib/record_checks.h"

template <typename Decode>
ImageLibraryError read_whole_file_with(const std::string& filename, ImageRecord& image, Decode decode) {
  set_last_error(NoError);
  image.transparent_index = -1;
  std::vector<uint8_t> bytes;
  ImageLibraryError code = read_whole_file(filename, bytes, image.max_file_size);
  if (code == NoError) {
    try {
      code = decode(std::span<const uint8_t>(bytes), image);
    } catch (const std::bad_alloc&) {
      code = OutOfMemory;
    }
  }
  if (code != NoError) {
    image_free(image);
    return set_last_error(code);
  }
  return set_last_error(NoError);
}

// BadImageSize for an empty picture or one above the record's pixel limit;
// checked before the data is weighed against the file and before allocating.
inline ImageLibraryError check_picture_size(const ImageRecord& image, uint64_t width, uint64_t height) {
  if (width == 0 || height == 0 || above_pixel_limit(image, width, height)) return BadImageSize;
  return NoError;
}
