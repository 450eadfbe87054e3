// Writing records as PNG files through libpng.
//
// libpng reports errors by a long jump back to the setjmp of encode_png;
// everything that must outlive the jump lives in the PngWriter of its caller.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <new>
#include <vector>

#include "imagelib/file_io.h"
#include "imagelib/formats/grey_palette.h"
#include "imagelib/formats/png.h"
#include "imagelib/formats/png_messages.h"
#include "imagelib/formats/resolution.h"
#include "imagelib/record_checks.h"

namespace {

struct PngWriter {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::vector<uint8_t> row;

  PngWriter() = default;
  PngWriter(const PngWriter&) = delete;
  PngWriter& operator=(const PngWriter&) = delete;
  ~PngWriter() {
    if (png != nullptr) png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
  }
};

// How a record of at most 8 bits is stored. Indices are written as grey
// samples only when the palette is the grey ramp of the depth (or there is
// no palette); another grey palette is written as its grey levels, 8 bits
// per sample; any other palette, and any palette with a transparent entry,
// as a PLTE.
enum class IndexForm { GreySamples, GreyLevels, Palette };

// The transparent index when the record has one the PLTE can carry, else -1.
int transparent_entry(const ImageRecord& image) {
  const int index = image.transparent_index;
  if (!image.has_palette() || index < 0 || index >= image.palette_count) return -1;
  return index < (1 << image.bits_per_pixel) ? index : -1;
}

IndexForm index_form(const ImageRecord& image) {
  if (transparent_entry(image) >= 0) return IndexForm::Palette;
  if (!image.has_palette() || palette_is_grey_ramp(image)) return IndexForm::GreySamples;
  if (palette_is_grey(image)) return IndexForm::GreyLevels;
  return IndexForm::Palette;
}

// The index of pixel x of a 1, 4 or 8-bit row.
uint32_t index_at(const uint8_t* row, uint32_t x, uint8_t bits) {
  if (bits == 8) return row[x];
  if (bits == 4) return (row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F;
  return (row[x / 8] >> (7 - x % 8)) & 1;
}

void convert_row(const uint8_t* in, uint8_t* out, const ImageRecord& image, IndexForm form) {
  const uint32_t width = image.width;
  if (image.bits_per_pixel == 24 || image.bits_per_pixel == 32) {
    const uint32_t bytes = image.bits_per_pixel / 8;
    for (uint32_t x = 0; x < width; ++x, in += bytes, out += bytes) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
      if (bytes == 4) out[3] = in[3];
    }
  } else if (form == IndexForm::GreyLevels) {
    for (uint32_t x = 0; x < width; ++x) {
      const uint32_t index = index_at(in, x, image.bits_per_pixel);
      out[x] = index < image.palette_count ? palette_grey_level(image, index) : 0;
    }
  } else {
    std::copy(in, in + packed_row_bytes(image.bits_per_pixel, width), out);
  }
}

// The PLTE: the record's entries, as many as the depth can address.
void set_plte(PngWriter& writer, const ImageRecord& image) {
  png_color colours[256];
  int count = 0;
  for (const int limit = 1 << image.bits_per_pixel; count < limit && count < image.palette_count; ++count) {
    const uint8_t* entry = palette_entry(image, static_cast<uint32_t>(count));
    if (entry == nullptr) break;
    colours[count].red = entry[2];
    colours[count].green = entry[1];
    colours[count].blue = entry[0];
  }
  png_set_PLTE(writer.png, writer.info, colours, count);
}

// A tRNS that makes the transparent entry fully transparent and leaves the
// entries before it opaque (later entries are opaque without being listed).
void set_transparent_entry(PngWriter& writer, int index) {
  png_byte alpha[256];
  std::fill_n(alpha, index, png_byte{255});
  alpha[index] = 0;
  png_set_tRNS(writer.png, writer.info, alpha, index + 1, nullptr);
}

ImageLibraryError encode_png(PngWriter& writer, FILE* file, const ImageRecord& image) {
  const IndexForm form = index_form(image);
  // A libpng failure is a write error when writing the stream failed.
  if (setjmp(png_jmpbuf(writer.png))) return std::ferror(file) ? WriteError : CorruptFile;
  png_init_io(writer.png, file);
  int depth = image.bits_per_pixel < 8 ? image.bits_per_pixel : 8;
  int colour_type = PNG_COLOR_TYPE_RGB;
  if (image.bits_per_pixel == 32) {
    colour_type = PNG_COLOR_TYPE_RGB_ALPHA;
  } else if (image.bits_per_pixel <= 8) {
    colour_type = form == IndexForm::Palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_GRAY;
    if (form == IndexForm::GreyLevels) depth = 8;
  }
  png_set_IHDR(writer.png, writer.info, image.width, image.height, depth, colour_type, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (colour_type == PNG_COLOR_TYPE_PALETTE) set_plte(writer, image);
  if (colour_type == PNG_COLOR_TYPE_PALETTE && transparent_entry(image) >= 0) {
    set_transparent_entry(writer, transparent_entry(image));
  }
  if (const uint32_t per_metre = ppi_to_per_metre(image.ppi); per_metre != 0) {
    png_set_pHYs(writer.png, writer.info, per_metre, per_metre, PNG_RESOLUTION_METER);
  }
  png_write_info(writer.png, writer.info);
  for (uint32_t y = 0; y < image.height; ++y) {
    convert_row(image.row(image.height - 1 - y), writer.row.data(), image, form);
    png_bytep row = writer.row.data();
    png_write_rows(writer.png, &row, 1);
  }
  png_write_end(writer.png, nullptr);
  return NoError;
}

bool writable_depth(uint8_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

ImageLibraryError write_png_file(const std::string& filename, const ImageRecord& source) {
  if (source.width == 0 || source.height == 0) return BadImageSize;
  if (!writable_depth(source.bits_per_pixel)) return BadBitsPerPixel;
  if (!image_buffers_consistent(source)) return BadImagePointer;
  ImageRecord widened;
  if (source.bits_per_pixel == 16) {
    widened = source;
    const ImageLibraryError code = image_16_to_24(widened);
    if (code != NoError) return code;
  }
  const ImageRecord& image = source.bits_per_pixel == 16 ? widened : source;

  OutputFile out(filename);
  if (!out.open()) return CannotOpenFile;
  PngWriter writer;
  writer.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, png_error_to_diagnostics,
                                       png_warning_to_diagnostics);
  if (writer.png == nullptr) return OutOfMemory;
  writer.info = png_create_info_struct(writer.png);
  if (writer.info == nullptr) return OutOfMemory;
  writer.row.resize(static_cast<size_t>(image.width) * 4);
  const ImageLibraryError code = encode_png(writer, out.stream(), image);
  if (code != NoError) return code;
  return out.commit() ? NoError : WriteError;
}

}  // namespace

ImageLibraryError write_png(const std::string& filename, const ImageRecord& image) {
  set_last_error(NoError);
  ImageLibraryError code;
  try {
    code = write_png_file(filename, image);
  } catch (const std::bad_alloc&) {
    code = OutOfMemory;
  }
  return code == NoError ? NoError : set_last_error(code);
}
