#pragma once
// The image library's one raster type and the side records of loads and saves.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imagelib/errors.h"

// Images with more pixels than this are refused with BadImageSize unless the
// caller raises the record's max_pixels before reading.
inline constexpr uint64_t kDefaultMaxPixels = 100'000'000;
// Files larger than this are refused rather than read, unless the caller
// raises the record's max_file_size before reading.
inline constexpr uint64_t kDefaultMaxFileSize = uint64_t{1} << 31;

// One decoded raster. Rows are stored bottom-up; pixels are blue, green, red
// (and alpha); palette entries are blue, green, red (and a fourth byte 0).
// "No buffer" is an empty vector.
struct ImageRecord {
  uint32_t width = 0;
  uint32_t height = 0;
  uint8_t bits_per_pixel = 0;
  std::vector<uint8_t> pixels;
  uint16_t palette_count = 0;
  uint8_t palette_entry_size = 0;
  std::vector<uint8_t> palette;
  uint32_t row_stride = 0;
  int32_t pad_rows = 0;
  int16_t transparent_index = -1;
  // Resolution in pixels per inch, -1 when unknown. Readers of formats that
  // record one fill it in; writers of formats with a field for it write it.
  int32_t ppi = -1;
  // A caller setting, like pad_rows: the largest width x height that
  // image_allocate (and so every reader) accepts. image_init and image_free
  // leave it as it is.
  uint64_t max_pixels = kDefaultMaxPixels;
  // A caller setting like max_pixels: the largest input file, in bytes, that
  // the readers accept.
  uint64_t max_file_size = kDefaultMaxFileSize;
  // A caller setting like max_pixels: the threads one WSQ decode or encode
  // of this record may use, the caller's own included (0 counts as 1). The
  // pixels and bytes are the same for every count.
  uint32_t codec_threads = 1;

  uint8_t* row(uint32_t y) { return pixels.data() + static_cast<size_t>(y) * row_stride; }
  const uint8_t* row(uint32_t y) const { return pixels.data() + static_cast<size_t>(y) * row_stride; }
  bool has_palette() const { return !palette.empty(); }
};

// Side information of a WSQ load, a WSQ save and a JPEG save.
struct ImageInfo {
  uint32_t depth_or_quality = 0;
  double bitrate = 0.0;
  int32_t ppi = -1;
  std::optional<std::string> comment;
};

// Side information of a TIFF load and save. compression and photometric hold
// the library's kind numbers, not TIFF tag values.
struct TiffOptions {
  uint8_t compression = 0;
  uint8_t photometric = 0;
  uint8_t bottom_up = 0;
  uint16_t predictor = 0;
};

// Record operations.
void image_init(ImageRecord& image);
void image_free(ImageRecord& image);
ImageLibraryError image_allocate(ImageRecord& image);
ImageLibraryError image_pack_indices(ImageRecord& image);
ImageLibraryError image_16_to_24(ImageRecord& image);  // not recorded as last error
ImageLibraryError image_copy(const ImageRecord& source, ImageRecord& destination);
ImageLibraryError image_to_true_colour(const ImageRecord& source, ImageRecord& destination);
ImageLibraryError image_to_grey(ImageRecord& image);
ImageLibraryError image_desaturate(ImageRecord& image);

// Pixel helpers. destination holds width x height bytes.
void unpack_1bit_rows(const ImageRecord& image, uint8_t* destination);
void unpack_4bit_rows(const ImageRecord& image, uint8_t* destination);
uint8_t grey_value(const uint8_t* blue_green_red);
int16_t swap_i16(int16_t value);
uint16_t swap_u16(uint16_t value);
int32_t swap_i32(int32_t value);
uint32_t swap_u32(uint32_t value);
