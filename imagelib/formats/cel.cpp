// Autodesk CEL files: the choice between the two layouts, and the Animator cel
// (little-endian 32-byte header, 256 colours of 6 bits, one byte per pixel).
#include "imagelib/formats/cel.h"

#include "imagelib/byte_reader.h"
#include "imagelib/formats/cel_flic.h"
#include "imagelib/formats/hand_reader.h"

namespace {

constexpr uint16_t kAnimatorMagic = 0x9119;
constexpr uint16_t kFlicMagic = 0xAF11;
constexpr uint16_t kFlicProMagic = 0xAF12;
constexpr size_t kAnimatorHeaderBytes = 32;
constexpr size_t kAnimatorPaletteBytes = 256 * 3;

ImageLibraryError decode_animator_cel(std::span<const uint8_t> file, ImageRecord& image) {
  ByteReader in(file);
  uint16_t magic = 0, width = 0, height = 0;
  if (!in.u16le(magic) || !in.u16le(width) || !in.u16le(height) || !in.skip(4)) return ReadError;
  uint8_t bits = 0, compression = 0;
  if (!in.u8(bits) || !in.u8(compression) || !in.seek(kAnimatorHeaderBytes)) return ReadError;
  if (magic != kAnimatorMagic || bits != 8 || compression != 0) return UnsupportedOption;
  if (const auto code = check_picture_size(image, width, height); code != NoError) return code;
  if (in.remaining() < kAnimatorPaletteBytes + uint64_t{width} * height) return ReadError;

  image.width = width;
  image.height = height;
  image.bits_per_pixel = 8;
  image.palette_count = 256;
  if (const auto code = image_allocate(image); code != NoError) return code;

  // Colours are red, green, blue of 0..63; scale to 8 bits, store blue first.
  const auto colours = in.view(kAnimatorPaletteBytes);
  for (size_t i = 0; i < 256; ++i) {
    uint8_t* entry = image.palette.data() + i * image.palette_entry_size;
    entry[2] = static_cast<uint8_t>(colours[3 * i] * 4);
    entry[1] = static_cast<uint8_t>(colours[3 * i + 1] * 4);
    entry[0] = static_cast<uint8_t>(colours[3 * i + 2] * 4);
  }
  // The file's first row is the top of the picture, the record's last row.
  for (uint32_t y = height; y-- > 0;) in.bytes(image.row(y), width);
  return NoError;
}

ImageLibraryError decode_cel(std::span<const uint8_t> file, ImageRecord& image) {
  ByteReader in(file);
  uint16_t magic = 0;
  if (!in.u16le(magic)) return ReadError;
  if (magic == kAnimatorMagic) return decode_animator_cel(file, image);
  uint16_t unused = 0, flic_magic = 0;
  if (!in.u16le(unused) || !in.u16le(flic_magic)) return ReadError;
  if (flic_magic == kFlicMagic || flic_magic == kFlicProMagic) return decode_flic_cel(file, image);
  return UnsupportedOption;
}

}  // namespace

ImageLibraryError read_cel(const std::string& filename, ImageRecord& image) {
  return read_whole_file_with(filename, image, decode_cel);
}

ImageLibraryError read_animator_cel(const std::string& filename, ImageRecord& image) {
  return read_whole_file_with(filename, image, decode_animator_cel);
}

ImageLibraryError read_flic_cel(const std::string& filename, ImageRecord& image) {
  return read_whole_file_with(filename, image, decode_flic_cel);
}
