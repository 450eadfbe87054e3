// Reading JPEG files into records through libjpeg.
//
// libjpeg reports errors by a long jump back to the setjmp of decode_jpeg;
// the file and the decompression structure live in the JpegReader of its
// caller, and decode_jpeg keeps only trivially destructible locals.
#include "imagelib/formats/jpeg.h"

#include <cstdio>
#include <new>

#include "imagelib/file_io.h"
#include "imagelib/formats/resolution.h"
#include "imagelib/formats/jpeg_errors.h"
#include "imagelib/record_checks.h"

namespace {

struct JpegReader {
  FILE* file = nullptr;
  jpeg_decompress_struct info{};
  JpegErrors errors;
  bool created = false;

  JpegReader() = default;
  JpegReader(const JpegReader&) = delete;
  JpegReader& operator=(const JpegReader&) = delete;
  ~JpegReader() {
    if (created) jpeg_destroy_decompress(&info);
    if (file != nullptr) std::fclose(file);
  }
};

void copy_row(const JSAMPLE* in, uint8_t* out, uint32_t width, int components) {
  if (components == 1) {
    for (uint32_t x = 0; x < width; ++x) out[x] = in[x];
    return;
  }
  for (uint32_t x = 0; x < width; ++x, in += 3, out += 3) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
  }
}

ImageLibraryError decode_jpeg(JpegReader& reader, ImageRecord& image) {
  jpeg_decompress_struct& info = reader.info;
  info.err = jpeg_errors_to_diagnostics(reader.errors);
  if (setjmp(reader.errors.jump)) return CorruptFile;
  jpeg_create_decompress(&info);
  reader.created = true;
  jpeg_stdio_src(&info, reader.file);
  jpeg_read_header(&info, TRUE);
  // Only grey and RGB output is taken (not CMYK or YCCK).
  if (info.out_color_space != JCS_GRAYSCALE && info.out_color_space != JCS_RGB) return UnsupportedOption;
  if (above_pixel_limit(image, info.image_width, info.image_height)) return BadImageSize;
  image.width = info.image_width;
  image.height = info.image_height;
  image.bits_per_pixel = static_cast<uint8_t>(info.num_components * 8);
  image.palette_count = 0;
  image.ppi = density_to_ppi(info.X_density, info.density_unit);
  const ImageLibraryError code = image_allocate(image);
  if (code != NoError) return code;
  for (uint32_t i = 0; i < image.palette_count; ++i) {
    uint8_t* entry = image.palette.data() + static_cast<size_t>(i) * image.palette_entry_size;
    entry[0] = entry[1] = entry[2] = static_cast<uint8_t>(i);
  }

  jpeg_start_decompress(&info);
  if (info.output_components * 8 != image.bits_per_pixel) return UnsupportedOption;
  JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                              info.output_width * info.output_components, 1);
  while (info.output_scanline < info.output_height) {
    const uint32_t y = info.output_scanline;
    if (jpeg_read_scanlines(&info, row, 1) != 1) return CorruptFile;
    copy_row(row[0], image.row(image.height - 1 - y), image.width, info.output_components);
  }
  jpeg_finish_decompress(&info);
  return NoError;
}

ImageLibraryError read_jpeg_file(const std::string& filename, ImageRecord& image) {
  if (const ImageLibraryError code = check_input_file(filename, image.max_file_size); code != NoError) return code;
  JpegReader reader;
  reader.file = std::fopen(filename.c_str(), "rb");
  if (reader.file == nullptr) return CannotOpenFile;
  return decode_jpeg(reader, image);
}

}  // namespace

ImageLibraryError read_jpeg(const std::string& filename, ImageRecord& image) {
  set_last_error(NoError);
  ImageLibraryError code;
  try {
    code = read_jpeg_file(filename, image);
  } catch (const std::bad_alloc&) {
    code = OutOfMemory;
  }
  if (code == NoError) return NoError;
  image_free(image);
  return set_last_error(code);
}
