// Writing records as TIFF files through libtiff.
#include <algorithm>
#include <new>
#include <vector>

#include "imagelib/file_io.h"
#include "imagelib/formats/grey_palette.h"
#include "imagelib/formats/tiff.h"
#include "imagelib/formats/tiff_io.h"
#include "imagelib/record_checks.h"

namespace {

bool writable_depth(uint8_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// How the record's pixels are stored in the file.
struct TiffPlan {
  uint16_t photometric = PHOTOMETRIC_RGB;
  uint16_t samples = 3;
  uint16_t bits = 8;
  uint16_t compression = COMPRESSION_NONE;
  int orientation = ORIENTATION_TOPLEFT;  // 0: no Orientation tag
  bool grey_levels = false;  // indices are written as their palette's grey levels
};

// Indices are written as grey samples only when that shows the same picture:
// the palette is the grey ramp of the depth (black is zero) or its exact
// reverse (white is zero). Another grey palette is written as its grey
// levels, 8 bits per sample; any other palette as a colour map. A record
// without a palette holds grey levels.
uint16_t photometric_of(const ImageRecord& image) {
  if (image.bits_per_pixel > 8) return PHOTOMETRIC_RGB;
  if (!image.has_palette() || palette_is_grey_ramp(image)) return PHOTOMETRIC_MINISBLACK;
  if (palette_is_reverse_grey_ramp(image)) return PHOTOMETRIC_MINISWHITE;
  return palette_is_grey(image) ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE;
}

bool writes_grey_levels(const ImageRecord& image) {
  return image.bits_per_pixel <= 8 && image.has_palette() && palette_is_grey(image) &&
         !palette_is_grey_ramp(image) && !palette_is_reverse_grey_ramp(image);
}

ImageLibraryError plan_tiff(const ImageRecord& image, const TiffOptions* options, TiffPlan& plan) {
  int kind = options != nullptr ? options->compression : 0;
  // Bilevel images are always PackBits-compressed.
  if (image.bits_per_pixel == 1) kind = 9;
  if (kind >= kTiffCompressionKinds || tiff_compression_value(kind) == COMPRESSION_LZW) return UnsupportedOption;
  plan.compression = tiff_compression_value(kind);
  const int bottom_up = options != nullptr ? options->bottom_up : 0;
  plan.orientation = bottom_up == 0 ? ORIENTATION_TOPLEFT : bottom_up == 1 ? ORIENTATION_BOTLEFT : 0;
  plan.photometric = photometric_of(image);
  plan.samples = image.bits_per_pixel <= 8 ? 1 : image.bits_per_pixel == 32 ? 4 : 3;
  plan.grey_levels = writes_grey_levels(image);
  plan.bits = image.bits_per_pixel <= 8 && !plan.grey_levels ? image.bits_per_pixel : 8;
  return NoError;
}

// ColorMap values: a byte c becomes c x 257, so 255 is full intensity.
void set_colour_map(TIFF* tiff, const ImageRecord& image, uint16_t bits) {
  const size_t size = size_t{1} << bits;
  std::vector<uint16_t> red(size), green(size), blue(size);
  for (size_t i = 0; i < size && i < image.palette_count; ++i) {
    const uint8_t* entry = palette_entry(image, static_cast<uint32_t>(i));
    if (entry == nullptr) break;
    blue[i] = static_cast<uint16_t>(entry[0] * 257);
    green[i] = static_cast<uint16_t>(entry[1] * 257);
    red[i] = static_cast<uint16_t>(entry[2] * 257);
  }
  TIFFSetField(tiff, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
}

void set_tags(TIFF* tiff, const ImageRecord& image, const TiffPlan& plan) {
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, image.width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, image.height);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, plan.bits);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, plan.samples);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  if (plan.samples == 4) {
    const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (plan.orientation != 0) TIFFSetField(tiff, TIFFTAG_ORIENTATION, plan.orientation);
  // The compression comes first so the strip size suits its codec.
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, plan.compression);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, plan.photometric);
  if (plan.photometric == PHOTOMETRIC_PALETTE) set_colour_map(tiff, image, plan.bits);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
  if (image.ppi > 0) {
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, static_cast<float>(image.ppi));
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, static_cast<float>(image.ppi));
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  }
}

// The grey level of each index of a 1, 4 or 8-bit row.
void translate_indices(const uint8_t* source, uint8_t* target, const ImageRecord& image) {
  const uint8_t bits = image.bits_per_pixel;
  for (uint32_t x = 0; x < image.width; ++x) {
    const uint32_t bit = x * bits;
    const uint32_t index = (source[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
    target[x] = index < image.palette_count ? palette_grey_level(image, index) : 0;
  }
}

// One record row (bottom-up storage) as a TIFF row, red first.
void convert_row(const uint8_t* source, uint8_t* target, const ImageRecord& image, const TiffPlan& plan,
                 size_t row_bytes) {
  const uint32_t width = image.width;
  if (plan.grey_levels) {
    translate_indices(source, target, image);
    return;
  }
  switch (image.bits_per_pixel) {
    case 16:
      for (uint32_t x = 0; x < width; ++x) {
        const uint32_t v = source[2 * x] | source[2 * x + 1] << 8;
        target[3 * x] = static_cast<uint8_t>(((v >> 10) & 31) * 8);
        target[3 * x + 1] = static_cast<uint8_t>(((v >> 5) & 31) * 8);
        target[3 * x + 2] = static_cast<uint8_t>((v & 31) * 8);
      }
      break;
    case 24:
    case 32: {
      const uint32_t bytes = image.bits_per_pixel / 8;
      for (uint32_t x = 0; x < width; ++x) {
        const uint8_t* in = source + static_cast<size_t>(x) * bytes;
        uint8_t* out = target + static_cast<size_t>(x) * bytes;
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
        if (bytes == 4) out[3] = in[3];
      }
      break;
    }
    default:
      std::copy(source, source + row_bytes, target);
  }
}

ImageLibraryError write_strips(TIFF* tiff, const ImageRecord& image, const TiffPlan& plan) {
  uint32_t rows_per_strip = 0;
  TIFFGetField(tiff, TIFFTAG_ROWSPERSTRIP, &rows_per_strip);
  rows_per_strip = std::clamp<uint32_t>(rows_per_strip, 1, image.height);
  const size_t row_bytes = (static_cast<size_t>(image.width) * plan.samples * plan.bits + 7) / 8;
  std::vector<uint8_t> strip(rows_per_strip * row_bytes);
  uint32_t strip_index = 0;
  for (uint32_t top = 0; top < image.height; top += rows_per_strip, ++strip_index) {
    const uint32_t rows = std::min(rows_per_strip, image.height - top);
    for (uint32_t r = 0; r < rows; ++r) {
      convert_row(image.row(image.height - 1 - (top + r)), strip.data() + r * row_bytes, image, plan,
                   row_bytes);
    }
    if (TIFFWriteEncodedStrip(tiff, strip_index, strip.data(), static_cast<tmsize_t>(rows * row_bytes)) < 0) {
      return WriteError;
    }
  }
  return NoError;
}

ImageLibraryError write_tiff_file(const std::string& filename, const ImageRecord& image, const TiffOptions* options) {
  if (image.width == 0 || image.height == 0) return BadImageSize;
  if (!writable_depth(image.bits_per_pixel)) return BadBitsPerPixel;
  if (!image_buffers_consistent(image)) return BadImagePointer;
  TiffPlan plan;
  ImageLibraryError code = plan_tiff(image, options, plan);
  if (code != NoError) return code;

  OutputFile out(filename);
  if (!out.open()) return CannotOpenFile;
  out.close_stream();
  {
    TiffHandle tiff = open_tiff(out.temp_path(), "w");
    if (!tiff) return CannotOpenFile;
    set_tags(tiff.get(), image, plan);
    code = write_strips(tiff.get(), image, plan);
    if (code != NoError) return code;
    if (!TIFFWriteDirectory(tiff.get())) return WriteError;
  }
  return out.commit() ? NoError : WriteError;
}

}  // namespace

ImageLibraryError write_tiff(const std::string& filename, const ImageRecord& image, const TiffOptions* options) {
  set_last_error(NoError);
  ImageLibraryError code;
  try {
    code = write_tiff_file(filename, image, options);
  } catch (const std::bad_alloc&) {
    code = OutOfMemory;
  }
  return code == NoError ? NoError : set_last_error(code);
}
