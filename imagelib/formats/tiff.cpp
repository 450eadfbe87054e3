// Reading TIFF files into records through libtiff.
#include "imagelib/formats/tiff.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "imagelib/file_io.h"
#include "imagelib/formats/resolution.h"
#include "imagelib/formats/tiff_io.h"
#include "imagelib/formats/tiff_layout.h"

namespace {

// The largest grey sample value and how far 16-bit samples are shifted
// right to fit in a byte.
struct SampleRange {
  uint32_t max = 255;
  unsigned shift = 0;
};

SampleRange sample_range(TIFF* tiff, uint16_t bits) {
  uint16_t max = static_cast<uint16_t>((1u << bits) - 1);
  uint16_t tagged = 0;
  if (TIFFGetField(tiff, TIFFTAG_MAXSAMPLEVALUE, &tagged) && tagged != 0) max = tagged;
  SampleRange range;
  if (max > 255) range.shift = static_cast<unsigned>(std::log(max) / std::log(2.0) + 0.5) - 8;
  range.max = std::max(max >> range.shift, 1);
  return range;
}

uint16_t load_u16(const uint8_t* bytes) {
  uint16_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

uint8_t colour_over_alpha(uint8_t colour, uint8_t alpha) {
  return static_cast<uint8_t>(std::min(colour * 256 / alpha, 255));
}

// 16-bit samples (in host order, as libtiff delivers them) to one byte each.
void convert_16bit_row(const uint8_t* source, uint8_t* target, const TiffLayout& layout, unsigned shift) {
  const uint32_t channels = layout.samples;
  for (uint32_t x = 0; x < layout.width; ++x) {
    uint8_t sample[4] = {};
    for (uint32_t c = 0; c < channels; ++c) {
      const uint32_t value = load_u16(source + 2 * (static_cast<size_t>(x) * channels + c)) >> shift;
      sample[c] = static_cast<uint8_t>(std::min<uint32_t>(value, 255));
    }
    uint8_t* pixel = target + static_cast<size_t>(x) * channels;
    if (channels == 1) {
      pixel[0] = sample[0];
      continue;
    }
    pixel[0] = sample[2];
    pixel[1] = sample[1];
    pixel[2] = sample[0];
    if (channels == 4) pixel[3] = sample[3];
  }
}

// 8-bit grey with alpha, RGB or RGB with alpha to blue, green, red (alpha).
void convert_8bit_row(const uint8_t* source, uint8_t* target, const TiffLayout& layout) {
  const uint32_t out_bytes = layout.record_bits / 8;
  for (uint32_t x = 0; x < layout.width; ++x) {
    const uint8_t* in = source + static_cast<size_t>(x) * layout.samples;
    uint8_t* pixel = target + static_cast<size_t>(x) * out_bytes;
    if (layout.samples == 2) {
      pixel[0] = pixel[1] = pixel[2] = in[0];
      pixel[3] = in[1];
    } else {
      pixel[0] = in[2];
      pixel[1] = in[1];
      pixel[2] = in[0];
      if (layout.samples == 4) pixel[3] = in[3];
    }
    if (layout.associated_alpha && out_bytes == 4 && pixel[3] != 0) {
      for (int c = 0; c < 3; ++c) pixel[c] = colour_over_alpha(pixel[c], pixel[3]);
    }
  }
}

void convert_row(const uint8_t* source, uint8_t* target, const TiffLayout& layout, unsigned shift) {
  if (layout.bits == 16) {
    convert_16bit_row(source, target, layout, shift);
  } else if (layout.record_bits <= 8) {
    std::memcpy(target, source, (static_cast<size_t>(layout.width) * layout.record_bits + 7) / 8);
  } else {
    convert_8bit_row(source, target, layout);
  }
}

// Gathers row r of each plane's strip into one contiguous row.
void interleave_planes(const std::vector<std::vector<uint8_t>>& strips, size_t plane_row, uint32_t r,
                       uint32_t sample_bytes, uint8_t* row) {
  const size_t planes = strips.size();
  for (size_t p = 0; p < planes; ++p) {
    const uint8_t* plane = strips[p].data() + r * plane_row;
    for (size_t x = 0; x < plane_row / sample_bytes; ++x) {
      std::memcpy(row + (x * planes + p) * sample_bytes, plane + x * sample_bytes, sample_bytes);
    }
  }
}

// Reads contiguous samples, or separate planes of 8 or 16 bits gathered into
// contiguous rows. The first TIFF row is the top of the picture, the record's
// last row.
ImageLibraryError read_samples(TIFF* tiff, const TiffLayout& layout, ImageRecord& image, unsigned shift) {
  const uint32_t planes = layout.planar == PLANARCONFIG_SEPARATE ? layout.samples : 1;
  const size_t plane_row = (static_cast<size_t>(layout.width) * (layout.samples / planes) * layout.bits + 7) / 8;
  std::vector<std::vector<uint8_t>> strips(planes, std::vector<uint8_t>(layout.rows_per_strip * plane_row));
  std::vector<uint8_t> row(planes > 1 ? plane_row * planes : 0);
  for (uint32_t top = 0; top < layout.height; top += layout.rows_per_strip) {
    const uint32_t rows = std::min(layout.rows_per_strip, layout.height - top);
    for (uint32_t p = 0; p < planes; ++p) {
      const tmsize_t size = static_cast<tmsize_t>(rows * plane_row);
      if (TIFFReadEncodedStrip(tiff, TIFFComputeStrip(tiff, top, static_cast<uint16_t>(p)), strips[p].data(), size) < 0) {
        return ReadError;
      }
    }
    for (uint32_t r = 0; r < rows; ++r) {
      const uint8_t* source = strips[0].data() + r * plane_row;
      if (planes > 1) {
        interleave_planes(strips, plane_row, r, layout.bits / 8, row.data());
        source = row.data();
      }
      convert_row(source, image.row(layout.height - 1 - (top + r)), layout, shift);
    }
  }
  return NoError;
}

// The palette of a grey or palette image. Grey levels span the sample range:
// index i shows i x 255 / max (its reverse when white is zero).
ImageLibraryError fill_palette(TIFF* tiff, const TiffLayout& layout, ImageRecord& image, uint32_t max) {
  const uint32_t count = image.palette_count;
  if (layout.photometric == PHOTOMETRIC_PALETTE) {
    uint16_t* red = nullptr;
    uint16_t* green = nullptr;
    uint16_t* blue = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue)) return CorruptFile;
    bool wide = false;
    for (uint32_t i = 0; i < count; ++i) wide = wide || red[i] > 255 || green[i] > 255 || blue[i] > 255;
    const auto level = [wide](uint16_t value) { return static_cast<uint8_t>(wide ? value * 255 / 65535 : value); };
    for (uint32_t i = 0; i < count; ++i) {
      uint8_t* entry = image.palette.data() + static_cast<size_t>(i) * image.palette_entry_size;
      entry[0] = level(blue[i]);
      entry[1] = level(green[i]);
      entry[2] = level(red[i]);
    }
    return NoError;
  }
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t grey = static_cast<uint8_t>(std::min(i, max) * 255 / max);
    if (layout.photometric == PHOTOMETRIC_MINISWHITE) grey = static_cast<uint8_t>(255 - grey);
    uint8_t* entry = image.palette.data() + static_cast<size_t>(i) * image.palette_entry_size;
    entry[0] = entry[1] = entry[2] = grey;
  }
  return NoError;
}

// Separate 1-bit planes: planes 0 to 2 are the red, green and blue bits of an
// index into eight colours; a 0 bit in a fourth plane makes the pixel index
// 8, the transparent grey.
void fill_plane_palette(ImageRecord& image) {
  for (uint32_t i = 0; i < image.palette_count; ++i) {
    uint8_t* entry = image.palette.data() + static_cast<size_t>(i) * image.palette_entry_size;
    if (i == 8) {
      entry[0] = entry[1] = entry[2] = 127;
      continue;
    }
    entry[0] = (i & 4) ? 255 : 0;
    entry[1] = (i & 2) ? 255 : 0;
    entry[2] = (i & 1) ? 255 : 0;
  }
}

ImageLibraryError read_bit_planes(TIFF* tiff, const TiffLayout& layout, ImageRecord& image) {
  fill_plane_palette(image);
  const size_t plane_row = (static_cast<size_t>(layout.width) + 7) / 8;
  std::vector<uint8_t> strip(layout.rows_per_strip * plane_row);
  for (uint16_t p = 0; p < layout.samples; ++p) {
    for (uint32_t top = 0; top < layout.height; top += layout.rows_per_strip) {
      const uint32_t rows = std::min(layout.rows_per_strip, layout.height - top);
      if (TIFFReadEncodedStrip(tiff, TIFFComputeStrip(tiff, top, p), strip.data(), static_cast<tmsize_t>(rows * plane_row)) < 0) {
        return ReadError;
      }
      for (uint32_t r = 0; r < rows; ++r) {
        const uint8_t* bits = strip.data() + r * plane_row;
        uint8_t* indices = image.row(layout.height - 1 - (top + r));
        for (uint32_t x = 0; x < layout.width; ++x) {
          const int bit = (bits[x / 8] >> (7 - x % 8)) & 1;
          if (p < 3) {
            indices[x] = static_cast<uint8_t>(indices[x] + (bit << p));
          } else if (bit == 0) {
            indices[x] = 8;
          }
        }
      }
    }
  }
  return image_pack_indices(image);
}

// The X resolution in pixels per inch, -1 when absent or in no unit.
int32_t tiff_ppi(TIFF* tiff) {
  float resolution = 0;
  uint16_t unit = RESUNIT_INCH;
  if (!TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &resolution)) return -1;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
  return density_to_ppi(resolution, unit == RESUNIT_INCH ? 1 : unit == RESUNIT_CENTIMETER ? 2 : 0);
}

ImageLibraryError read_tiff_file(const std::string& filename, ImageRecord& image, TiffOptions* options) {
  if (const ImageLibraryError code = check_input_file(filename, image.max_file_size); code != NoError) return code;
  TiffHandle tiff = open_tiff(filename, "r");
  if (!tiff) return CannotOpenFile;
  TiffLayout layout;
  ImageLibraryError code = read_tiff_layout(tiff.get(), layout);
  if (code == NoError && options != nullptr) code = read_tiff_options(tiff.get(), layout, *options);
  if (code != NoError) return code;

  image.width = layout.width;
  image.height = layout.height;
  image.bits_per_pixel = layout.record_bits;
  image.ppi = tiff_ppi(tiff.get());
  image.palette_count = layout.bit_planes ? (layout.samples == 3 ? 8 : 9) : 0;
  image.transparent_index = layout.bit_planes && layout.samples != 3 ? 8 : -1;
  code = image_allocate(image);
  if (code != NoError) return code;
  if (layout.bit_planes) return read_bit_planes(tiff.get(), layout, image);

  const SampleRange range = sample_range(tiff.get(), layout.bits);
  code = read_samples(tiff.get(), layout, image, range.shift);
  if (code != NoError) return code;
  if (image.bits_per_pixel <= 8) return fill_palette(tiff.get(), layout, image, range.max);
  return NoError;
}

}  // namespace

ImageLibraryError read_tiff(const std::string& filename, ImageRecord& image, TiffOptions* options) {
  ImageLibraryError code;
  try {
    code = read_tiff_file(filename, image, options);
  } catch (const std::bad_alloc&) {
    code = OutOfMemory;
  }
  if (code == NoError) return NoError;
  image_free(image);
  return set_last_error(code);
}
