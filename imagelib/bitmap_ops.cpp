// The platform bitmap calls on the in-memory model.
#include "imagelib/bitmap_ops.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Bitmaps larger than this are refused as the platform refuses sections it
// cannot map.
constexpr uint64_t kMaxBitmapBytes = uint64_t{1} << 32;

bool valid_depth(uint32_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

uint64_t padded_row_size(uint32_t bits, uint32_t width) { return (uint64_t{bits} * width + 31) / 32 * 4; }

uint32_t row_count(const Bitmap& bitmap) { return static_cast<uint32_t>(std::abs(int64_t{bitmap.header.biHeight})); }

bool well_formed(const Bitmap* bitmap) {
  if (bitmap == nullptr) return false;
  const BitmapInfoHeader& h = bitmap->header;
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return false;
  if (!valid_depth(h.biBitCount) || h.biCompression != 0) return false;
  const uint64_t size = padded_row_size(h.biBitCount, static_cast<uint32_t>(h.biWidth)) * row_count(*bitmap);
  if (size > kMaxBitmapBytes || bitmap->bits.size() < size) return false;
  return bitmap->colour_table.size() <= 256;
}

// The row of the bitmap that is the given row counted from the bottom.
const uint8_t* bottom_up_row(const Bitmap& bitmap, uint32_t row) {
  const uint32_t stored = bitmap.header.biHeight < 0 ? row_count(bitmap) - 1 - row : row;
  return bitmap.bits.data() + static_cast<size_t>(stored) * bitmap.row_size();
}

BitmapObject bitmap_object(const Bitmap& bitmap) {
  BitmapObject object;
  object.bmWidth = bitmap.header.biWidth;
  object.bmHeight = static_cast<int32_t>(row_count(bitmap));
  object.bmWidthBytes = static_cast<int32_t>(bitmap.row_size());
  object.bmBitsPixel = bitmap.header.biBitCount;
  object.bmBits = bitmap.kind == BitmapKind::DibSection ? bitmap.bits.data() : nullptr;
  return object;
}

BitmapHandle make_bitmap(BitmapKind kind, const BitmapInfoHeader& header) {
  if (header.biWidth <= 0 || header.biHeight <= 0) return nullptr;
  if (!valid_depth(header.biBitCount) || header.biCompression != 0) return nullptr;
  const uint64_t size = padded_row_size(header.biBitCount, static_cast<uint32_t>(header.biWidth)) *
                        static_cast<uint32_t>(header.biHeight);
  if (size > kMaxBitmapBytes) return nullptr;
  try {
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->kind = kind;
    bitmap->header = header;
    bitmap->header.biSize = 40;
    bitmap->header.biPlanes = 1;
    bitmap->header.biSizeImage = static_cast<uint32_t>(size);
    bitmap->bits.assign(static_cast<size_t>(size), 0);
    if (kind == BitmapKind::DibSection && header.biBitCount <= 8) {
      const uint32_t full = 1u << header.biBitCount;
      const uint32_t used = header.biClrUsed == 0 ? full : std::min(header.biClrUsed, full);
      bitmap->colour_table.assign(used, RgbQuad{});
    }
    return bitmap;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

int32_t get_object(const Bitmap* bitmap, DibSectionObject& object) {
  if (!well_formed(bitmap)) return 0;
  object = DibSectionObject{};
  object.dsBm = bitmap_object(*bitmap);
  if (bitmap->kind == BitmapKind::Device) return kBitmapObjectSize;
  object.dsBmih = bitmap->header;
  return kDibSectionObjectSize;
}

int32_t get_object(const Bitmap* bitmap, BitmapObject& object) {
  if (!well_formed(bitmap)) return 0;
  object = bitmap_object(*bitmap);
  return kBitmapObjectSize;
}

int32_t get_dib_bits(const Bitmap* bitmap, uint32_t start, uint32_t lines, uint8_t* destination,
                     const BitmapInfo& format) {
  if (!well_formed(bitmap) || destination == nullptr) return 0;
  if (format.header.biBitCount != bitmap->header.biBitCount || format.header.biWidth != bitmap->header.biWidth ||
      format.header.biCompression != 0) {
    return 0;
  }
  const uint32_t rows = row_count(*bitmap);
  if (start >= rows) return 0;
  const uint32_t copied = std::min(lines, rows - start);
  const size_t size = bitmap->row_size();
  for (uint32_t row = 0; row < copied; ++row) {
    std::memcpy(destination + static_cast<size_t>(row) * size, bottom_up_row(*bitmap, start + row), size);
  }
  return static_cast<int32_t>(copied);
}

BitmapHandle create_dib_section(const BitmapInfo& info, uint8_t** bits) {
  BitmapHandle bitmap = make_bitmap(BitmapKind::DibSection, info.header);
  if (bits != nullptr) *bits = bitmap ? bitmap->bits.data() : nullptr;
  return bitmap;
}

BitmapHandle create_device_bitmap(int32_t width, int32_t height, uint16_t bits_per_pixel) {
  BitmapInfoHeader header;
  header.biWidth = width;
  header.biHeight = height;
  header.biBitCount = bits_per_pixel;
  return make_bitmap(BitmapKind::Device, header);
}

uint32_t get_dib_colour_table(const Bitmap* bitmap, uint32_t start, uint32_t count, RgbQuad* colours) {
  if (!well_formed(bitmap) || bitmap->kind != BitmapKind::DibSection || colours == nullptr) return 0;
  const auto& table = bitmap->colour_table;
  if (start >= table.size()) return 0;
  const uint32_t copied = std::min<uint32_t>(count, static_cast<uint32_t>(table.size()) - start);
  std::copy_n(table.begin() + start, copied, colours);
  return copied;
}

uint32_t set_dib_colour_table(Bitmap* bitmap, uint32_t start, uint32_t count, const RgbQuad* colours) {
  if (!well_formed(bitmap) || bitmap->kind != BitmapKind::DibSection || colours == nullptr) return 0;
  auto& table = bitmap->colour_table;
  if (start >= table.size()) return 0;
  const uint32_t copied = std::min<uint32_t>(count, static_cast<uint32_t>(table.size()) - start);
  std::copy_n(colours, copied, table.begin() + start);
  return copied;
}

BitmapInfo& fill_bitmap_info(BitmapInfo& info, int32_t width, int32_t height, uint16_t bits,
                             uint32_t compression) {
  uint16_t count = 8;
  for (const uint16_t candidate : {1, 4, 8, 16, 24, 32}) {
    if (candidate >= bits) {
      count = candidate;
      break;
    }
  }
  BitmapInfoHeader& h = info.header;
  h.biSize = 40;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = count;
  h.biCompression = compression;
  h.biSizeImage = static_cast<uint32_t>((int64_t{count} * width + 31) / 32 * 4 * height);
  h.biXPelsPerMeter = 0;
  h.biYPelsPerMeter = 0;
  h.biClrUsed = count <= 8 ? 1u << count : 0;
  h.biClrImportant = h.biClrUsed;
  return info;
}

BitmapInfo get_bitmap_info(int32_t width, int32_t height, uint16_t bits, uint32_t compression) {
  BitmapInfo info;
  return fill_bitmap_info(info, width, height, bits, compression);
}
