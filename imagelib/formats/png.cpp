// Reading PNG files into records through libpng.
//
// libpng reports errors by a long jump back to the setjmp of decode_png.
// Everything that must outlive such a jump (the file, the libpng structures,
// the row buffers) lives in a PngReader owned by the caller of decode_png,
// and the functions that call libpng keep only trivially destructible locals.
#include "imagelib/formats/png.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "imagelib/file_io.h"
#include "imagelib/formats/resolution.h"
#include "imagelib/formats/png_messages.h"
#include "imagelib/record_checks.h"

namespace {

struct PngReader {
  FILE* file = nullptr;
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::vector<uint8_t> pixels;
  std::vector<png_bytep> rows;

  PngReader() = default;
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;
  ~PngReader() {
    if (png != nullptr) png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    if (file != nullptr) std::fclose(file);
  }
};

// What the header, PLTE and tRNS say, and the decisions taken on them. bKGD
// is only a display hint and never changes the pixels.
struct PngFacts {
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int bit_depth = 0;
  int colour_type = 0;
  int interlace = 0;
  int depth = 0;  // bits per channel of the rows libpng delivers
  png_colorp plte = nullptr;
  int plte_count = 0;
  int trans_count = 0;
  png_bytep trans_alpha = nullptr;
  png_color_16p trans_colour = nullptr;
  bool alpha_mode = false;  // palette indices become 32-bit pixels with alpha
  bool keyed = false;       // grey or RGB pixels equal to the key get alpha 0
};

// A 16-bit or low-depth sample of the file as an 8-bit level.
uint8_t level_of(png_uint_16 value, int bit_depth) {
  if (bit_depth == 16) return static_cast<uint8_t>(value >> 8);
  if (bit_depth < 8) return static_cast<uint8_t>(value * 255 / ((1 << bit_depth) - 1));
  return static_cast<uint8_t>(value);
}

// A palette whose tRNS makes exactly one entry fully transparent and leaves
// the rest opaque keeps its indices with that transparent index; any other
// palette alpha turns the pixels into 32-bit colours with alpha. A grey or RGB
// key colour makes the pixels equal to it transparent.
void decide_transparency(png_structp png, png_infop info, PngFacts& facts, ImageRecord& image) {
  if (!png_get_valid(png, info, PNG_INFO_tRNS)) return;
  png_get_tRNS(png, info, &facts.trans_alpha, &facts.trans_count, &facts.trans_colour);
  if (facts.colour_type != PNG_COLOR_TYPE_PALETTE) {
    facts.keyed = facts.trans_colour != nullptr &&
                  (facts.colour_type == PNG_COLOR_TYPE_GRAY || facts.colour_type == PNG_COLOR_TYPE_RGB);
    facts.trans_count = 0;
    return;
  }
  int transparent = -1;
  for (int i = 0; i < facts.trans_count; ++i) {
    if (facts.trans_alpha[i] == 255) continue;
    if (facts.trans_alpha[i] != 0 || transparent >= 0) {
      facts.alpha_mode = true;
      return;
    }
    transparent = i;
  }
  image.transparent_index = static_cast<int16_t>(transparent);
}

// The record's depth and palette size, and the transformations asked of libpng.
void plan_record(png_structp png, png_infop info, PngFacts& facts, ImageRecord& image) {
  facts.depth = facts.bit_depth == 16 ? 8 : facts.bit_depth;
  const int record_depth = facts.bit_depth == 2 ? 4 : facts.depth;
  const int channels = png_get_channels(png, info);
  const int colours = facts.colour_type == PNG_COLOR_TYPE_GRAY_ALPHA ? channels - 1 : channels;
  int bits = colours * record_depth;
  // Key colours are compared with the file's own samples, at 16 bits too.
  if (facts.bit_depth == 16 && !facts.keyed) png_set_strip_16(png);
  if (facts.keyed && facts.bit_depth == 16) facts.depth = 16;
  if ((facts.alpha_mode || facts.keyed) && facts.depth < 8) {
    png_set_packing(png);
    facts.depth = 8;
  }
  if ((facts.colour_type == PNG_COLOR_TYPE_GRAY_ALPHA && bits == 8) || facts.alpha_mode || facts.keyed) bits = 32;
  image.width = facts.width;
  image.height = facts.height;
  image.bits_per_pixel = static_cast<uint8_t>(bits);
  image.palette_count = 0;
  if (bits > 8) return;
  if (facts.colour_type == PNG_COLOR_TYPE_PALETTE) {
    image.palette_count = static_cast<uint16_t>(facts.plte_count);
  } else {
    image.palette_count = static_cast<uint16_t>(facts.bit_depth == 16 ? 256 : 1 << facts.bit_depth);
  }
  image.palette_entry_size = image.pad_rows > 0 ? 4 : 3;
}

void fill_palette(const PngFacts& facts, ImageRecord& image) {
  const uint32_t count = image.palette_count;
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* entry = image.palette.data() + static_cast<size_t>(i) * image.palette_entry_size;
    if (facts.colour_type != PNG_COLOR_TYPE_PALETTE) {
      entry[0] = entry[1] = entry[2] = static_cast<uint8_t>(i * (255 / (count - 1)));
      continue;
    }
    const png_color& colour = facts.plte[i];
    entry[0] = colour.blue;
    entry[1] = colour.green;
    entry[2] = colour.red;
  }
}

void copy_2bit_row(const uint8_t* in, uint8_t* out, uint32_t width) {
  for (uint32_t x = 0; x < width; ++x) {
    const int pixel = (in[x / 4] >> (6 - 2 * (x % 4))) & 3;
    out[x / 2] = static_cast<uint8_t>(out[x / 2] | (x % 2 == 0 ? pixel << 4 : pixel));
  }
}

void copy_rgb_row(const uint8_t* in, uint8_t* out, uint32_t width) {
  for (uint32_t x = 0; x < width; ++x, in += 3, out += 3) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
  }
}

// Grey or RGB samples of 8 or 16 bits (low depths unpacked to one per byte)
// as blue, green, red, alpha; the samples equal to the key get alpha 0.
void copy_keyed_row(const uint8_t* in, uint8_t* out, uint32_t width, const PngFacts& facts) {
  const bool grey = facts.colour_type == PNG_COLOR_TYPE_GRAY;
  const png_color_16& key = *facts.trans_colour;
  const auto sample = [&in, &facts]() {
    const png_uint_16 value = facts.depth == 16 ? static_cast<png_uint_16>(in[0] << 8 | in[1]) : in[0];
    in += facts.depth == 16 ? 2 : 1;
    return value;
  };
  for (uint32_t x = 0; x < width; ++x, out += 4) {
    png_uint_16 red = sample();
    png_uint_16 green = red;
    png_uint_16 blue = red;
    if (!grey) {
      green = sample();
      blue = sample();
    }
    const bool transparent = grey ? red == key.gray : red == key.red && green == key.green && blue == key.blue;
    out[0] = level_of(blue, facts.bit_depth);
    out[1] = level_of(green, facts.bit_depth);
    out[2] = level_of(red, facts.bit_depth);
    out[3] = transparent ? 0 : 255;
  }
}

void copy_8bit_row(const uint8_t* in, uint8_t* out, uint32_t width, const PngFacts& facts, uint8_t bits) {
  if (facts.colour_type == PNG_COLOR_TYPE_GRAY_ALPHA) {
    for (uint32_t x = 0; x < width; ++x, in += 2, out += 4) {
      out[0] = out[1] = out[2] = in[0];
      out[3] = in[1];
    }
  } else if (facts.colour_type == PNG_COLOR_TYPE_RGB_ALPHA) {
    for (uint32_t x = 0; x < width; ++x, in += 4, out += 4) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
      out[3] = in[3];
    }
  } else if (facts.alpha_mode) {
    for (uint32_t x = 0; x < width; ++x, out += 4) {
      const int k = in[x];
      if (k < facts.plte_count) {
        out[0] = facts.plte[k].blue;
        out[1] = facts.plte[k].green;
        out[2] = facts.plte[k].red;
      }
      out[3] = k < facts.trans_count ? facts.trans_alpha[k] : 255;
    }
  } else if (bits == 8) {
    std::memcpy(out, in, width);
  } else {
    copy_rgb_row(in, out, width);
  }
}

// The first PNG row is the top of the picture, the record's last row.
void copy_rows(const PngReader& reader, const PngFacts& facts, ImageRecord& image) {
  for (uint32_t y = 0; y < image.height; ++y) {
    const uint8_t* in = reader.rows[y];
    uint8_t* out = image.row(image.height - 1 - y);
    if (facts.keyed) {
      copy_keyed_row(in, out, image.width, facts);
    } else if (facts.depth == 2) {
      copy_2bit_row(in, out, image.width);
    } else if (facts.depth < 8) {
      std::memcpy(out, in, (static_cast<size_t>(image.width) * facts.depth + 7) / 8);
    } else {
      copy_8bit_row(in, out, image.width, facts, image.bits_per_pixel);
    }
  }
}

// The bytes per row copy_rows reads.
size_t needed_row_bytes(const PngFacts& facts, uint32_t width) {
  static constexpr int kChannels[] = {1, 0, 3, 1, 2, 0, 4};
  return (static_cast<size_t>(width) * kChannels[facts.colour_type] * facts.depth + 7) / 8;
}

ImageLibraryError decode_png(PngReader& reader, ImageRecord& image) {
  PngFacts facts;
  if (setjmp(png_jmpbuf(reader.png))) return CorruptFile;
  png_init_io(reader.png, reader.file);
  png_set_sig_bytes(reader.png, 8);
  png_read_info(reader.png, reader.info);
  png_get_IHDR(reader.png, reader.info, &facts.width, &facts.height, &facts.bit_depth, &facts.colour_type,
               &facts.interlace, nullptr, nullptr);
  if (above_pixel_limit(image, facts.width, facts.height)) return BadImageSize;
  if (facts.colour_type == PNG_COLOR_TYPE_PALETTE &&
      (!png_get_PLTE(reader.png, reader.info, &facts.plte, &facts.plte_count) || facts.plte_count == 0)) {
    return CorruptFile;
  }
  decide_transparency(reader.png, reader.info, facts, image);
  plan_record(reader.png, reader.info, facts, image);
  png_uint_32 x_per_metre = 0, y_per_metre = 0;
  int unit = 0;
  const bool has_phys = png_get_pHYs(reader.png, reader.info, &x_per_metre, &y_per_metre, &unit) != 0;
  image.ppi = has_phys && unit == PNG_RESOLUTION_METER ? per_metre_to_ppi(x_per_metre) : -1;
  const ImageLibraryError code = image_allocate(image);
  if (code != NoError) return code;
  if (image.has_palette()) fill_palette(facts, image);

  png_set_interlace_handling(reader.png);
  png_read_update_info(reader.png, reader.info);
  const size_t row_bytes = png_get_rowbytes(reader.png, reader.info);
  if (row_bytes < needed_row_bytes(facts, facts.width)) return CorruptFile;
  reader.pixels.resize(row_bytes * facts.height);
  reader.rows.resize(facts.height);
  for (uint32_t y = 0; y < facts.height; ++y) reader.rows[y] = reader.pixels.data() + y * row_bytes;
  png_read_image(reader.png, reader.rows.data());
  copy_rows(reader, facts, image);
  png_read_end(reader.png, nullptr);
  return NoError;
}

ImageLibraryError read_png_file(const std::string& filename, ImageRecord& image) {
  if (const ImageLibraryError code = check_input_file(filename, image.max_file_size); code != NoError) return code;
  PngReader reader;
  reader.file = std::fopen(filename.c_str(), "rb");
  if (reader.file == nullptr) return CannotOpenFile;
  png_byte signature[8];
  if (std::fread(signature, 1, 8, reader.file) != 8 || png_sig_cmp(signature, 0, 8) != 0) return UnsupportedOption;
  reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, png_error_to_diagnostics,
                                      png_warning_to_diagnostics);
  if (reader.png == nullptr) return OutOfMemory;
  reader.info = png_create_info_struct(reader.png);
  if (reader.info == nullptr) return OutOfMemory;
  image.transparent_index = -1;
  return decode_png(reader, image);
}

}  // namespace

ImageLibraryError read_png(const std::string& filename, ImageRecord& image) {
  ImageLibraryError code;
  try {
    code = read_png_file(filename, image);
  } catch (const std::bad_alloc&) {
    code = OutOfMemory;
  }
  if (code == NoError) return NoError;
  image_free(image);
  return set_last_error(code);
}
