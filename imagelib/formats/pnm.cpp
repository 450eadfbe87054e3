// Netpbm PGM and PPM: a text header (magic, width, height, largest sample,
// with "#" comments between), then samples top row first, binary (one or
// two bytes, high first) or as decimal text.
#include "imagelib/formats/pnm.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <span>
#include <vector>

#include "imagelib/file_io.h"
#include "imagelib/formats/grey_palette.h"
#include "imagelib/formats/hand_reader.h"
#include "imagelib/record_checks.h"

namespace {

struct PnmHeader {
  char kind = 0;  // '2', '3', '5' or '6'
  uint32_t width = 0, height = 0, max_value = 0;
  bool grey() const { return kind == '2' || kind == '5'; }
  bool binary() const { return kind == '5' || kind == '6'; }
  uint32_t channels() const { return grey() ? 1 : 3; }
};

// Reads the header's text tokens and the plain-text samples.
class PnmScanner {
 public:
  explicit PnmScanner(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  // The next decimal number after blanks and comments; false when there is
  // none or it exceeds limit.
  bool number(uint32_t& value, uint32_t limit) {
    skip_blanks_and_comments();
    if (at_ >= bytes_.size() || !is_digit(bytes_[at_])) return false;
    uint64_t result = 0;
    for (; at_ < bytes_.size() && is_digit(bytes_[at_]); ++at_) {
      result = result * 10 + (bytes_[at_] - '0');
      if (result > limit) return false;
    }
    value = static_cast<uint32_t>(result);
    return true;
  }
  bool magic(char& kind) {
    if (bytes_.size() < 2 || bytes_[0] != 'P') return false;
    kind = static_cast<char>(bytes_[1]);
    at_ = 2;
    return true;
  }
  // The one blank that ends the header of a binary file.
  bool end_of_header() {
    if (at_ >= bytes_.size() || !is_blank(bytes_[at_])) return false;
    ++at_;
    return true;
  }
  size_t position() const { return at_; }
  size_t remaining() const { return bytes_.size() - at_; }

 private:
  static bool is_digit(uint8_t c) { return c >= '0' && c <= '9'; }
  static bool is_blank(uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
  void skip_blanks_and_comments() {
    while (at_ < bytes_.size()) {
      if (bytes_[at_] == '#') {
        while (at_ < bytes_.size() && bytes_[at_] != '\n' && bytes_[at_] != '\r') ++at_;
      } else if (is_blank(bytes_[at_])) {
        ++at_;
      } else {
        return;
      }
    }
  }

  std::span<const uint8_t> bytes_;
  size_t at_ = 0;
};

constexpr uint32_t kMaxSide = 0x7FFFFFFF;
constexpr uint32_t kMaxSampleValue = 65535;

ImageLibraryError read_header(PnmScanner& scanner, PnmHeader& header) {
  if (!scanner.magic(header.kind)) return UnsupportedOption;
  if (header.kind != '2' && header.kind != '3' && header.kind != '5' && header.kind != '6') return UnsupportedOption;
  if (!scanner.number(header.width, kMaxSide) || !scanner.number(header.height, kMaxSide) ||
      !scanner.number(header.max_value, kMaxSampleValue) || header.max_value == 0) {
    return CorruptFile;
  }
  if (header.binary() && !scanner.end_of_header()) return CorruptFile;
  return NoError;
}

uint8_t scale(uint32_t value, uint32_t max_value) {
  if (max_value == 255) return static_cast<uint8_t>(value);
  return static_cast<uint8_t>((value * 255 + max_value / 2) / max_value);
}

// Stores sample c (0 grey or red, 1 green, 2 blue) of pixel x of file row y.
void store(ImageRecord& image, uint32_t x, uint32_t y, uint32_t c, uint8_t value) {
  uint8_t* row = image.row(image.height - 1 - y);
  if (image.bits_per_pixel == 8) {
    row[x] = value;
  } else {
    row[3 * x + 2 - c] = value;
  }
}

ImageLibraryError read_samples(std::span<const uint8_t> bytes, PnmScanner& scanner, const PnmHeader& header,
                               ImageRecord& image) {
  const uint32_t channels = header.channels();
  const size_t sample_bytes = header.max_value > 255 ? 2 : 1;
  size_t at = scanner.position();
  for (uint32_t y = 0; y < image.height; ++y) {
    for (uint32_t x = 0; x < image.width; ++x) {
      for (uint32_t c = 0; c < channels; ++c) {
        uint32_t value = 0;
        if (header.binary()) {
          value = sample_bytes == 2 ? static_cast<uint32_t>(bytes[at] << 8 | bytes[at + 1]) : bytes[at];
          at += sample_bytes;
        } else if (!scanner.number(value, kMaxSampleValue)) {
          return ReadError;
        }
        if (value > header.max_value) return CorruptFile;
        store(image, x, y, c, scale(value, header.max_value));
      }
    }
  }
  return NoError;
}

ImageLibraryError read_pnm_bytes(std::span<const uint8_t> bytes, ImageRecord& image) {
  PnmScanner scanner(bytes);
  PnmHeader header;
  if (const ImageLibraryError code = read_header(scanner, header); code != NoError) return code;
  if (const ImageLibraryError code = check_picture_size(image, header.width, header.height); code != NoError) {
    return code;
  }
  // Every sample takes at least one byte of text, or its full size in binary;
  // a file too short for them is refused before allocating.
  const uint64_t samples = uint64_t{header.width} * header.height * header.channels();
  const uint64_t needed = header.binary() ? samples * (header.max_value > 255 ? 2 : 1) : samples;
  if (needed > scanner.remaining()) return ReadError;
  image.width = header.width;
  image.height = header.height;
  image.bits_per_pixel = header.grey() ? 8 : 24;
  image.palette_count = header.grey() ? 256 : 0;
  if (const ImageLibraryError code = image_allocate(image); code != NoError) return code;
  for (uint32_t i = 0; i < image.palette_count; ++i) {
    std::fill_n(image.palette.data() + static_cast<size_t>(i) * image.palette_entry_size, 3, static_cast<uint8_t>(i));
  }
  return read_samples(bytes, scanner, header, image);
}

// A record is grey when its pixels are palette indices into grey entries.
bool record_is_grey(const ImageRecord& image) {
  return image.bits_per_pixel <= 8 && (!image.has_palette() || palette_is_grey(image));
}

// Pixel x of row y as blue, green, red.
void pixel_colour(const ImageRecord& image, uint32_t x, uint32_t y, uint8_t* bgr) {
  const uint8_t* row = image.row(y);
  if (image.bits_per_pixel >= 24) {
    std::copy_n(row + static_cast<size_t>(x) * (image.bits_per_pixel / 8), 3, bgr);
    return;
  }
  uint32_t index = row[x];
  if (image.bits_per_pixel == 4) index = (row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F;
  if (image.bits_per_pixel == 1) index = (row[x / 8] >> (7 - x % 8)) & 1;
  if (!image.has_palette()) {
    std::fill_n(bgr, 3, grey_ramp_level(index, image.bits_per_pixel));
    return;
  }
  const uint8_t* entry = palette_entry(image, index);
  if (entry == nullptr) {
    std::fill_n(bgr, 3, uint8_t{0});
  } else {
    std::copy_n(entry, 3, bgr);
  }
}

ImageLibraryError write_pnm_file(const std::string& filename, const ImageRecord& source, const std::string& key) {
  if (source.width == 0 || source.height == 0) return BadImageSize;
  if (!image_buffers_consistent(source)) return BadImagePointer;
  const uint8_t bits = source.bits_per_pixel;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return BadBitsPerPixel;
  ImageRecord widened;
  if (bits == 16) {
    widened = source;
    if (const ImageLibraryError code = image_16_to_24(widened); code != NoError) return code;
  }
  const ImageRecord& image = bits == 16 ? widened : source;
  const bool grey = key == "PGM" || (key == "PNM" && record_is_grey(image));
  const uint32_t channels = grey ? 1 : 3;
  OutputFile out(filename);
  if (!out.open()) return CannotOpenFile;
  if (std::fprintf(out.stream(), "P%c\n%u %u\n255\n", grey ? '5' : '6', image.width, image.height) < 0) {
    return WriteError;
  }
  std::vector<uint8_t> row(static_cast<size_t>(image.width) * channels);
  for (uint32_t y = 0; y < image.height; ++y) {
    for (uint32_t x = 0; x < image.width; ++x) {
      uint8_t bgr[3];
      pixel_colour(image, x, image.height - 1 - y, bgr);
      if (grey) {
        row[x] = bgr[0] == bgr[1] && bgr[1] == bgr[2] ? bgr[0] : grey_value(bgr);
      } else {
        row[3 * x] = bgr[2];
        row[3 * x + 1] = bgr[1];
        row[3 * x + 2] = bgr[0];
      }
    }
    if (std::fwrite(row.data(), 1, row.size(), out.stream()) != row.size()) return WriteError;
  }
  return out.commit() ? NoError : WriteError;
}

}  // namespace

ImageLibraryError read_pnm(const std::string& filename, ImageRecord& image) {
  return read_whole_file_with(filename, image, read_pnm_bytes);
}

ImageLibraryError write_pnm(const std::string& filename, const ImageRecord& image, const std::string& key) {
  set_last_error(NoError);
  ImageLibraryError code;
  try {
    code = write_pnm_file(filename, image, key);
  } catch (const std::bad_alloc&) {
    code = OutOfMemory;
  }
  return code == NoError ? NoError : set_last_error(code);
}
