// Reading the first image of a GIF file through giflib.
//
// The file is read record by record up to the first image only, so that a
// declared image size is checked before anything is allocated for it and the
// later frames of an animation are never decoded.
#include "imagelib/formats/gif.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "imagelib/file_io.h"
#include "imagelib/record_checks.h"
#include "wsq/diagnostics.h"

namespace {

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

ImageLibraryError report(int error, ImageLibraryError code) {
  const char* text = GifErrorString(error);
  diag_printf("giflib: %s\n", text != nullptr ? text : "unknown error");
  return code;
}

// Skips to the first image descriptor and reads it. Among the extension
// blocks before it, the first graphic control block with its transparency
// flag set gives the transparent index.
ImageLibraryError find_first_image(GifFileType* gif, int16_t& transparent_index) {
  bool seen_control = false;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &type) != GIF_OK) return report(gif->Error, CorruptFile);
    if (type == IMAGE_DESC_RECORD_TYPE) {
      return DGifGetImageDesc(gif) == GIF_OK ? NoError : report(gif->Error, CorruptFile);
    }
    if (type != EXTENSION_RECORD_TYPE) return CorruptFile;  // the file ends without an image
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) != GIF_OK) return report(gif->Error, CorruptFile);
    if (code == GRAPHICS_EXT_FUNC_CODE && !seen_control && block != nullptr && block[0] >= 4) {
      seen_control = true;
      if (block[1] & 1) transparent_index = block[4];
    }
    while (block != nullptr) {
      if (DGifGetExtensionNext(gif, &block) != GIF_OK) return report(gif->Error, CorruptFile);
    }
  }
}

// The image row that the i-th stored row of an image of height rows is.
std::vector<uint32_t> stored_row_order(uint32_t height, bool interlaced) {
  std::vector<uint32_t> order;
  order.reserve(height);
  if (!interlaced) {
    for (uint32_t row = 0; row < height; ++row) order.push_back(row);
    return order;
  }
  static constexpr uint32_t kStart[] = {0, 4, 2, 1};
  static constexpr uint32_t kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (uint32_t row = kStart[pass]; row < height; row += kStep[pass]) order.push_back(row);
  }
  return order;
}

// Lays the image's rows on the screen-sized record, clipped to the screen.
// Screen row y is record row height - 1 - y.
ImageLibraryError place_image(GifFileType* gif, ImageRecord& image) {
  const GifImageDesc& desc = gif->Image;
  const uint32_t width = static_cast<uint32_t>(desc.Width);
  const uint32_t height = static_cast<uint32_t>(desc.Height);
  const uint32_t left = static_cast<uint32_t>(desc.Left);
  const uint32_t top = static_cast<uint32_t>(desc.Top);
  std::vector<GifPixelType> line(std::max<uint32_t>(width, 1));
  const std::vector<uint32_t> order = stored_row_order(height, desc.Interlace);
  const uint32_t visible = left < image.width ? std::min(width, image.width - left) : 0;
  for (const uint32_t row : order) {
    if (DGifGetLine(gif, line.data(), static_cast<int>(width)) != GIF_OK) return report(gif->Error, CorruptFile);
    const uint64_t y = uint64_t{top} + row;
    if (y < image.height && visible > 0) {
      std::memcpy(image.row(image.height - 1 - static_cast<uint32_t>(y)) + left, line.data(), visible);
    }
  }
  return NoError;
}

void fill_palette(const ColorMapObject& map, ImageRecord& image) {
  for (uint32_t i = 0; i < image.palette_count; ++i) {
    const GifColorType& colour = map.Colors[i];
    uint8_t* entry = image.palette.data() + static_cast<size_t>(i) * image.palette_entry_size;
    entry[0] = colour.Blue;
    entry[1] = colour.Green;
    entry[2] = colour.Red;
  }
}

ImageLibraryError read_gif_file(const std::string& filename, ImageRecord& image) {
  if (const ImageLibraryError code = check_input_file(filename, image.max_file_size); code != NoError) return code;
  int error = 0;
  GifHandle gif(DGifOpenFileName(filename.c_str(), &error));
  if (!gif) return report(error, CannotOpenFile);
  image.transparent_index = -1;
  ImageLibraryError code = find_first_image(gif.get(), image.transparent_index);
  if (code != NoError) return code;

  // The first image's own colour map, when it has one, holds its colours;
  // the global map serves images without one.
  const ColorMapObject* map = gif->Image.ColorMap != nullptr ? gif->Image.ColorMap : gif->SColorMap;
  if (map == nullptr || map->ColorCount <= 0 || map->ColorCount > 256) return CorruptFile;
  if (above_pixel_limit(image, static_cast<uint64_t>(gif->Image.Width), static_cast<uint64_t>(gif->Image.Height))) {
    return BadImageSize;
  }
  image.width = static_cast<uint32_t>(gif->SWidth);
  image.height = static_cast<uint32_t>(gif->SHeight);
  image.bits_per_pixel = 8;
  image.palette_count = static_cast<uint16_t>(map->ColorCount);
  code = image_allocate(image);
  if (code != NoError) return code;
  std::fill(image.pixels.begin(), image.pixels.end(), static_cast<uint8_t>(gif->SBackGroundColor));
  fill_palette(*map, image);
  code = place_image(gif.get(), image);
  if (code != NoError) return code;
  if (DGifCloseFile(gif.release(), &error) != GIF_OK) return report(error, CorruptFile);
  return image_pack_indices(image);
}

}  // namespace

ImageLibraryError read_gif(const std::string& filename, ImageRecord& image) {
  ImageLibraryError code;
  try {
    code = read_gif_file(filename, image);
  } catch (const std::bad_alloc&) {
    code = OutOfMemory;
  }
  if (code == NoError) return NoError;
  image_free(image);
  return set_last_error(code);
}
