// Loading and saving by file extension.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>

#include "imagelib/extension.h"
#include "imagelib/formats/bmp.h"
#include "imagelib/formats/cel.h"
#include "imagelib/formats/gif.h"
#include "imagelib/formats/iff.h"
#include "imagelib/formats/jpeg.h"
#include "imagelib/formats/pcx.h"
#include "imagelib/formats/png.h"
#include "imagelib/formats/pnm.h"
#include "imagelib/formats/psd.h"
#include "imagelib/formats/sgi.h"
#include "imagelib/formats/tga.h"
#include "imagelib/formats/tiff.h"
#include "imagelib/image_library.h"
#include "imagelib/wsq_adapter.h"

std::optional<std::string> extension_key(const std::string& filename) {
  const size_t slash = filename.find_last_of('/');
  const size_t dot = filename.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::nullopt;
  std::string key = filename.substr(dot + 1, 3);
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key;
}

namespace {

using Reader = ImageLibraryError (*)(const std::string& filename, ImageRecord& image, ImageInfo* info,
                                     TiffOptions* tiff);
using Writer = ImageLibraryError (*)(const std::string& key, const std::string& filename, const ImageRecord& image,
                                     const ImageInfo* info, const TiffOptions* tiff);

// One format of the library: the extension key that chooses it, its reader
// and its writer (null when the library does not write it).
struct Format {
  const char* key;
  Reader read;
  Writer write;
};

ImageLibraryError read_pnm_file(const std::string& filename, ImageRecord& image, ImageInfo*, TiffOptions*) {
  return read_pnm(filename, image);
}

ImageLibraryError write_pnm_file(const std::string& key, const std::string& filename, const ImageRecord& image,
                                 const ImageInfo*, const TiffOptions*) {
  return write_pnm(filename, image, key);
}

// The formats in the order they are listed to users.
constexpr Format kFormats[] = {
    {"WSQ", [](const std::string& f, ImageRecord& i, ImageInfo* info, TiffOptions*) { return read_wsq(f, i, info); },
     [](const std::string&, const std::string& f, const ImageRecord& i, const ImageInfo* info, const TiffOptions*) {
       return write_wsq(f, i, info);
     }},
    {"TIF", [](const std::string& f, ImageRecord& i, ImageInfo*, TiffOptions* tiff) { return read_tiff(f, i, tiff); },
     [](const std::string&, const std::string& f, const ImageRecord& i, const ImageInfo*, const TiffOptions* tiff) {
       return write_tiff(f, i, tiff);
     }},
    {"PNG", [](const std::string& f, ImageRecord& i, ImageInfo*, TiffOptions*) { return read_png(f, i); },
     [](const std::string&, const std::string& f, const ImageRecord& i, const ImageInfo*, const TiffOptions*) {
       return write_png(f, i);
     }},
    {"JPG", [](const std::string& f, ImageRecord& i, ImageInfo*, TiffOptions*) { return read_jpeg(f, i); },
     [](const std::string&, const std::string& f, const ImageRecord& i, const ImageInfo* info, const TiffOptions*) {
       return write_jpeg(f, i, info ? static_cast<int32_t>(info->depth_or_quality) : 100);
     }},
    {"BMP", [](const std::string& f, ImageRecord& i, ImageInfo*, TiffOptions*) { return read_bmp(f, i); },
     [](const std::string&, const std::string& f, const ImageRecord& i, const ImageInfo*, const TiffOptions*) {
       return write_bmp(f, i);
     }},
    {"TGA", [](const std::string& f, ImageRecord& i, ImageInfo*, TiffOptions*) { return read_tga(f, i); },
     [](const std::string&, const std::string& f, const ImageRecord& i, const ImageInfo*, const TiffOptions*) {
       return write_tga(f, i);
     }},
    {"CEL", [](const std::string& f, ImageRecord& i, ImageInfo*, TiffOptions*) { return read_cel(f, i); }, nullptr},
    {"RGB", [](const std::string& f, ImageRecord& i, ImageInfo*, TiffOptions*) { return read_rgb(f, i); },
     [](const std::string&, const std::string& f, const ImageRecord& i, const ImageInfo*, const TiffOptions*) {
       return write_rgb(f, i);
     }},
    {"GIF", [](const std::string& f, ImageRecord& i, ImageInfo*, TiffOptions*) { return read_gif(f, i); }, nullptr},
    {"PSD", [](const std::string& f, ImageRecord& i, ImageInfo*, TiffOptions*) { return read_psd(f, i); }, nullptr},
    {"IFF", [](const std::string& f, ImageRecord& i, ImageInfo*, TiffOptions*) { return read_iff(f, i); }, nullptr},
    {"PCX", [](const std::string& f, ImageRecord& i, ImageInfo*, TiffOptions*) { return read_pcx(f, i); }, nullptr},
    {"PGM", read_pnm_file, write_pnm_file},
    {"PPM", read_pnm_file, write_pnm_file},
    {"PNM", read_pnm_file, write_pnm_file},
};

const Format* format_of(const std::string& key) {
  const auto found = std::find_if(std::begin(kFormats), std::end(kFormats),
                                  [&](const Format& format) { return key == format.key; });
  return found == std::end(kFormats) ? nullptr : found;
}

ImageLibraryError read_by_key(const std::string& key, const std::string& filename, ImageRecord& image,
                              ImageInfo* info, TiffOptions* tiff) {
  const Format* format = format_of(key);
  if (format == nullptr) return set_last_error(UnsupportedExtension);
  return format->read(filename, image, info, tiff);
}

ImageLibraryError write_by_key(const std::string& key, const std::string& filename, const ImageRecord& image,
                               const ImageInfo* info, const TiffOptions* tiff) {
  const Format* format = format_of(key);
  if (format == nullptr || format->write == nullptr) return set_last_error(UnsupportedExtension);
  return format->write(key, filename, image, info, tiff);
}

std::vector<std::string> keys_where(bool writable) {
  std::vector<std::string> keys;
  for (const Format& format : kFormats) {
    if (!writable || format.write != nullptr) keys.emplace_back(format.key);
  }
  return keys;
}

// Runs a reader or writer, turning an escaped allocation failure into the
// out-of-memory code.
template <typename Call>
ImageLibraryError guarded(Call call) {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    return set_last_error(OutOfMemory);
  }
}

// The raw pixels as a record: first row first, bytes as given or with the
// first and third byte of each 3- and 4-byte pixel exchanged.
void fill_from_pixels(ImageRecord& image, uint8_t bytes_per_pixel, const uint8_t* data, bool keep_order) {
  const size_t row = static_cast<size_t>(image.width) * bytes_per_pixel;
  for (uint32_t y = 0; y < image.height; ++y) {
    uint8_t* out = image.row(y);
    std::memcpy(out, data + y * row, row);
    if (keep_order || bytes_per_pixel < 3) continue;
    for (size_t x = 0; x < row; x += bytes_per_pixel) std::swap(out[x], out[x + 2]);
  }
  // One byte per pixel is grey: give the palette a grey ramp so that the
  // writers of palette formats keep the grey levels.
  if (bytes_per_pixel == 1) {
    for (uint32_t i = 0; i < image.palette_count; ++i) {
      std::fill_n(image.palette.data() + i * image.palette_entry_size, 3, static_cast<uint8_t>(i));
    }
  }
}

}  // namespace

const std::vector<std::string>& readable_extension_keys() {
  static const std::vector<std::string> keys = keys_where(false);
  return keys;
}

const std::vector<std::string>& writable_extension_keys() {
  static const std::vector<std::string> keys = keys_where(true);
  return keys;
}

ImageLibraryError load_image(const std::string& filename, ImageRecord& image, ImageInfo* info, TiffOptions* tiff) {
  set_last_error(NoError);
  const std::optional<std::string> key = extension_key(filename);
  if (!key) return set_last_error(UnsupportedOption);
  image.ppi = -1;  // readers of formats that record a resolution set it
  const ImageLibraryError code = guarded([&] { return read_by_key(*key, filename, image, info, tiff); });
  if (code == NoError) return NoError;
  image_free(image);
  return set_last_error(code);
}

ImageLibraryError save_image(const ImageRecord& image, const std::string& filename, const ImageInfo* info,
                             const TiffOptions* tiff) {
  set_last_error(NoError);
  const std::optional<std::string> key = extension_key(filename);
  if (!key) return set_last_error(UnsupportedExtension);
  const ImageLibraryError code = guarded([&] { return write_by_key(*key, filename, image, info, tiff); });
  return code == NoError ? NoError : set_last_error(code);
}

ImageLibraryError save_bitmap(const Bitmap* bitmap, const std::string& filename, const ImageInfo* info,
                              const TiffOptions* tiff) {
  set_last_error(NoError);
  ImageRecord image;
  if (const ImageLibraryError code = image_from_bitmap(bitmap, image, 1); code != NoError) return code;
  return save_image(image, filename, info, tiff);
}

ImageLibraryError save_pixels(const std::string& filename, uint8_t bytes_per_pixel, uint32_t width, uint32_t height,
                              const uint8_t* data, bool keep_order) {
  set_last_error(NoError);
  ImageRecord image;
  image.width = width;
  image.height = height;
  image.bits_per_pixel = bytes_per_pixel <= 4 ? static_cast<uint8_t>(8 * bytes_per_pixel) : 0;
  if (const ImageLibraryError code = image_allocate(image); code != NoError) return code;
  if (!extension_key(filename)) return set_last_error(UnsupportedExtension);
  if (data == nullptr) return set_last_error(BadImagePointer);
  fill_from_pixels(image, bytes_per_pixel, data, keep_order);
  return save_image(image, filename, nullptr, nullptr);
}

BitmapHandle load_image_to_bitmap(const std::string& filename, ImageInfo* info, TiffOptions* tiff,
                                  CompositeMode mode) {
  set_last_error(NoError);
  ImageRecord image;
  image.pad_rows = 1;
  if (load_image(filename, image, info, tiff) != NoError) return nullptr;
  return image_to_dib_section(image, mode);
}
