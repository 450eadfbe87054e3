// Writing records as baseline JPEG files through libjpeg.
//
// libjpeg reports errors by a long jump back to the setjmp of encode_jpeg;
// the compression structure and the row buffer live in the JpegWriter of its
// caller.
#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "imagelib/file_io.h"
#include "imagelib/formats/grey_palette.h"
#include "imagelib/formats/jpeg.h"
#include "imagelib/formats/jpeg_errors.h"
#include "imagelib/record_checks.h"

namespace {

struct JpegWriter {
  jpeg_compress_struct info{};
  JpegErrors errors;
  bool created = false;
  std::vector<JSAMPLE> row;

  JpegWriter() = default;
  JpegWriter(const JpegWriter&) = delete;
  JpegWriter& operator=(const JpegWriter&) = delete;
  ~JpegWriter() {
    if (created) jpeg_destroy_compress(&info);
  }
};

// How a record's pixels become samples. An 8-bit record without a palette
// or with the grey ramp is written as grey samples equal to its indices;
// with another grey palette as that palette's grey levels, so the picture
// looks the same; with a colour palette as the entries' colours.
enum class SampleForm { Indices, GreyLevels, PaletteColours, TrueColour };

SampleForm sample_form(const ImageRecord& image) {
  if (image.bits_per_pixel != 8) return SampleForm::TrueColour;
  if (!image.has_palette() || palette_is_grey_ramp(image)) return SampleForm::Indices;
  return palette_is_grey(image) ? SampleForm::GreyLevels : SampleForm::PaletteColours;
}

void convert_row(const uint8_t* in, JSAMPLE* out, const ImageRecord& image, SampleForm form) {
  const uint32_t width = image.width;
  switch (form) {
    case SampleForm::Indices:
      std::copy(in, in + width, out);
      break;
    case SampleForm::GreyLevels:
      for (uint32_t x = 0; x < width; ++x) {
        const uint8_t* entry = palette_entry(image, in[x]);
        out[x] = entry != nullptr ? entry[0] : 0;
      }
      break;
    case SampleForm::PaletteColours:
      for (uint32_t x = 0; x < width; ++x, out += 3) {
        static constexpr uint8_t kBlack[3] = {0, 0, 0};
        const uint8_t* entry = palette_entry(image, in[x]);
        if (entry == nullptr) entry = kBlack;
        out[0] = entry[2];
        out[1] = entry[1];
        out[2] = entry[0];
      }
      break;
    case SampleForm::TrueColour: {
      const uint32_t bytes = image.bits_per_pixel / 8;
      for (uint32_t x = 0; x < width; ++x, in += bytes, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
      }
    }
  }
}

ImageLibraryError encode_jpeg(JpegWriter& writer, FILE* file, const ImageRecord& image, int32_t quality) {
  jpeg_compress_struct& info = writer.info;
  info.err = jpeg_errors_to_diagnostics(writer.errors);
  // A libjpeg failure is a write error when writing the stream failed.
  if (setjmp(writer.errors.jump)) return std::ferror(file) ? WriteError : CorruptFile;
  jpeg_create_compress(&info);
  writer.created = true;
  jpeg_stdio_dest(&info, file);
  info.image_width = image.width;
  info.image_height = image.height;
  const SampleForm form = sample_form(image);
  const bool grey = form == SampleForm::Indices || form == SampleForm::GreyLevels;
  info.input_components = grey ? 1 : 3;
  info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (image.ppi > 0 && image.ppi <= 65535) {
    info.density_unit = 1;
    info.X_density = info.Y_density = static_cast<UINT16>(image.ppi);
  }
  jpeg_start_compress(&info, TRUE);
  for (uint32_t y = 0; y < image.height; ++y) {
    convert_row(image.row(image.height - 1 - y), writer.row.data(), image, form);
    JSAMPROW row = writer.row.data();
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  return NoError;
}

ImageLibraryError write_jpeg_file(const std::string& filename, const ImageRecord& source, int32_t quality) {
  if (source.width == 0 || source.height == 0) return BadImageSize;
  const uint8_t bits = source.bits_per_pixel;
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return BadBitsPerPixel;
  if (!image_buffers_consistent(source)) return BadImagePointer;
  ImageRecord widened;
  if (bits == 16) {
    widened = source;
    const ImageLibraryError code = image_16_to_24(widened);
    if (code != NoError) return code;
  }
  const ImageRecord& image = bits == 16 ? widened : source;

  OutputFile out(filename);
  if (!out.open()) return CannotOpenFile;
  JpegWriter writer;
  writer.row.resize(static_cast<size_t>(image.width) * 3);
  const ImageLibraryError code = encode_jpeg(writer, out.stream(), image, quality);
  if (code != NoError) return code;
  return out.commit() ? NoError : WriteError;
}

}  // namespace

ImageLibraryError write_jpeg(const std::string& filename, const ImageRecord& image, int32_t quality) {
  set_last_error(NoError);
  ImageLibraryError code;
  try {
    code = write_jpeg_file(filename, image, quality);
  } catch (const std::bad_alloc&) {
    code = OutOfMemory;
  }
  return code == NoError ? NoError : set_last_error(code);
}
