// WSQ files: whole-file reads and writes around the in-memory codec, and the
// conversion between its grey images and image records.
#include "imagelib/wsq_adapter.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "imagelib/file_io.h"
#include "imagelib/record_checks.h"
#include "wsq/codestream.h"
#include "wsq/decoder.h"
#include "wsq/diagnostics.h"
#include "wsq/encoder.h"

namespace {

// The frame header holds 16-bit sizes.
constexpr int32_t kMaxWsqSide = 65535;
// The codec counts threads in a signed integer and holds large counts to
// its own ceiling.
int32_t codec_threads(const ImageRecord& image) {
  return static_cast<int32_t>(std::min<uint32_t>(image.codec_threads, INT32_MAX));
}

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

bool allocate(std::vector<uint8_t>& buffer, size_t size) {
  try {
    buffer.assign(size, 0);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// The text of the last comment segment before the first block header, or
// nothing. Stops quietly at the first segment it cannot read.
std::optional<std::string> last_comment(const uint8_t* codestream, int32_t length) {
  const uint8_t* cursor = codestream;
  const uint8_t* end = codestream + length;
  std::optional<std::string> comment;
  uint16_t marker = 0;
  if (getc_marker_wsq(marker, MarkerSet::soi_only, cursor, end) != 0) return comment;
  if (getc_marker_wsq(marker, MarkerSet::any, cursor, end) != 0) return comment;
  while (marker != kSobMarker) {
    if (marker == kComMarker) {
      std::string text;
      if (getc_comment(text, cursor, end) != 0) break;
      // The comment is a NUL-terminated text: it ends at its first NUL.
      text.resize(std::strlen(text.c_str()));
      comment = std::move(text);
    } else if (getc_skip_marker_segment(marker, cursor, end) != 0) {
      break;
    }
    if (getc_marker_wsq(marker, MarkerSet::any, cursor, end) != 0) break;
  }
  return comment;
}

ImageLibraryError read_raw_code(int32_t status) {
  switch (status) {
    case -1:
    case -2:
      return CannotOpenFile;
    case -3:
      return OutOfMemory;
    default:
      return ReadError;
  }
}

ImageLibraryError decode_file(const std::string& filename, ImageRecord& image, ImageInfo* info) {
  if (const ImageLibraryError code = check_input_file(filename, image.max_file_size); code != NoError) return code;
  std::vector<uint8_t> file;
  int32_t length = 0;
  if (const int32_t status = read_raw_from_filesize(filename, file, length); status != 0) {
    return read_raw_code(status);
  }
  WsqDecoder decoder;
  decoder.max_pixels = image.max_pixels;
  decoder.threads = codec_threads(image);
  std::vector<uint8_t> grey;
  int32_t width = 0, height = 0, depth = 0, ppi = 0, lossy = 0;
  if (wsq_decode_mem(decoder, grey, width, height, depth, ppi, lossy, file.data(), length) != 0) {
    // A frame the decoder refused for its size is reported as such.
    const uint64_t pixels = uint64_t{decoder.frame.width} * decoder.frame.height;
    return pixels > image.max_pixels ? BadImageSize : CorruptData;
  }
  if (width <= 0 || height <= 0 || grey.size() < static_cast<size_t>(width) * static_cast<size_t>(height)) {
    return CorruptData;
  }
  image.width = static_cast<uint32_t>(width);
  image.height = static_cast<uint32_t>(height);
  image.bits_per_pixel = 24;
  image.pad_rows = 0;
  image.palette_count = 0;
  image.palette_entry_size = 0;
  image.ppi = ppi > 0 ? ppi : -1;
  if (info != nullptr) {
    info->depth_or_quality = static_cast<uint32_t>(depth);
    info->ppi = ppi;
    info->comment = last_comment(file.data(), length);
  }
  if (const ImageLibraryError code = image_allocate(image); code != NoError) return code;
  for (uint32_t i = 0; i < image.height; ++i) {
    const uint8_t* source = grey.data() + static_cast<size_t>(i) * image.width;
    uint8_t* out = image.row(image.height - 1 - i);
    for (uint32_t j = 0; j < image.width; ++j, out += 3) out[0] = out[1] = out[2] = source[j];
  }
  return NoError;
}

// The record as a top-down grey image: 8-bit values as they stand (a palette
// is not consulted), 24-bit pixels as the mean of their three bytes.
std::vector<uint8_t> grey_image(const ImageRecord& image) {
  std::vector<uint8_t> grey(static_cast<size_t>(image.width) * image.height);
  for (uint32_t i = 0; i < image.height; ++i) {
    const uint8_t* source = image.row(image.height - 1 - i);
    uint8_t* out = grey.data() + static_cast<size_t>(i) * image.width;
    if (image.bits_per_pixel == 8) {
      std::copy_n(source, image.width, out);
      continue;
    }
    for (uint32_t j = 0; j < image.width; ++j, source += 3) {
      out[j] = static_cast<uint8_t>((source[0] + source[1] + source[2]) / 3);
    }
  }
  return grey;
}

ImageLibraryError encode_file(const std::string& filename, const ImageRecord& image, const ImageInfo* info) {
  if (image.bits_per_pixel != 8 && image.bits_per_pixel != 24) {
    diag_write("ERROR: read_raw_or_ihead : ");
    diag_printf("image depth = %d not 8 or 24\n", image.bits_per_pixel);
    return BadBitsPerPixel;
  }
  if (!image_buffers_consistent(image)) return BadImagePointer;
  if (image.width > INT32_MAX || image.height > INT32_MAX) return BadImageSize;
  const std::vector<uint8_t> grey = grey_image(image);
  const float bitrate = static_cast<float>(info ? info->bitrate : kDefaultWsqBitrate);
  const int32_t ppi = info ? info->ppi : -1;
  const char* comment = info && info->comment ? info->comment->c_str() : nullptr;
  const auto width = static_cast<int32_t>(image.width);
  const auto height = static_cast<int32_t>(image.height);
  std::vector<uint8_t> codestream;
  WsqEncoder encoder{codec_threads(image)};
  if (wsq_encode_1(encoder, codestream, bitrate, grey.data(), width, height, image.bits_per_pixel, ppi, comment) != 0) {
    const bool size_out_of_range = width < kMinEncodeSide || height < kMinEncodeSide || width > kMaxWsqSide ||
                                   height > kMaxWsqSide;
    return size_out_of_range ? BadImageSize : CorruptFile;
  }
  if (codestream.size() > INT32_MAX) return WriteError;
  switch (write_raw_from_memsize(filename, codestream.data(), static_cast<int32_t>(codestream.size()))) {
    case 0:
      return NoError;
    case -2:
      return CannotOpenFile;
    default:
      return WriteError;
  }
}

}  // namespace

int32_t read_raw_from_filesize(const std::string& filename, std::vector<uint8_t>& buffer, int32_t& length) {
  struct stat status {};
  if (::stat(filename.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return -1;
  std::unique_ptr<FILE, FileCloser> file(std::fopen(filename.c_str(), "rb"));
  if (!file) {
    diag_printf("ERORR : read_raw_from_filesize : fopen : %s\n", filename.c_str());
    return -2;
  }
  // The length is a signed 32-bit count: larger files cannot be held.
  const auto size = static_cast<uint64_t>(status.st_size);
  if (size > INT32_MAX || !allocate(buffer, static_cast<size_t>(size))) {
    diag_write("ERORR : read_raw_from_filesize : malloc : idata\n");
    return -3;
  }
  const size_t read = size == 0 ? 0 : std::fread(buffer.data(), 1, buffer.size(), file.get());
  if (read != size) {
    diag_write("ERORR : main : read_raw_from_filesize : ");
    diag_printf("%d of %d bytes read from %s\n", static_cast<int>(read), static_cast<int>(size), filename.c_str());
    buffer.clear();
    return -4;
  }
  length = static_cast<int32_t>(size);
  return 0;
}

int32_t write_raw_from_memsize(const std::string& filename, const uint8_t* data, int32_t length) {
  OutputFile out(filename);
  if (!out.open()) {
    diag_printf("ERROR: write_raw_from_memsize : fopen : %s\n", filename.c_str());
    return -2;
  }
  const size_t wanted = length > 0 ? static_cast<size_t>(length) : 0;
  const size_t written = wanted == 0 ? 0 : std::fwrite(data, 1, wanted, out.stream());
  // A failing flush or rename means the bytes never reached the file.
  if (written != wanted || !out.commit()) {
    diag_write("ERROR: write_raw_from_memsize : fwrite : ");
    diag_printf("only %d of %d bytes written from file s\n", written == wanted ? 0 : static_cast<int>(written),
                length);
    return -3;
  }
  return 0;
}

ImageLibraryError read_wsq(const std::string& filename, ImageRecord& image, ImageInfo* info) {
  set_last_error(NoError);
  ImageLibraryError code = NoError;
  try {
    code = decode_file(filename, image, info);
  } catch (const std::bad_alloc&) {
    code = OutOfMemory;
  }
  if (code == NoError) return NoError;
  image_free(image);
  return set_last_error(code);
}

ImageLibraryError write_wsq(const std::string& filename, const ImageRecord& image, const ImageInfo* info) {
  set_last_error(NoError);
  ImageLibraryError code = NoError;
  try {
    code = encode_file(filename, image, info);
  } catch (const std::bad_alloc&) {
    code = OutOfMemory;
  }
  return code == NoError ? NoError : set_last_error(code);
}
