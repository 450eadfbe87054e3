#pragma once
// Builds bitmap files in memory for tests.
#include <cstdint>
#include <vector>

struct BmpFile {
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t colours_used = 0;
  std::vector<uint8_t> palette;  // 4-byte entries, written after the headers
  std::vector<uint8_t> pixels;   // the rows as stored
};

inline void put_le(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline std::vector<uint8_t> bmp_bytes(const BmpFile& file) {
  std::vector<uint8_t> out = {'B', 'M'};
  const uint32_t offset = 54 + static_cast<uint32_t>(file.palette.size());
  put_le(out, offset + static_cast<uint32_t>(file.pixels.size()), 4);
  put_le(out, 0, 4);
  put_le(out, offset, 4);
  put_le(out, 40, 4);
  put_le(out, static_cast<uint32_t>(file.width), 4);
  put_le(out, static_cast<uint32_t>(file.height), 4);
  put_le(out, 1, 2);
  put_le(out, file.bits, 2);
  put_le(out, file.compression, 4);
  put_le(out, static_cast<uint32_t>(file.pixels.size()), 4);
  put_le(out, 0, 4);
  put_le(out, 0, 4);
  put_le(out, file.colours_used, 4);
  put_le(out, file.colours_used, 4);
  out.insert(out.end(), file.palette.begin(), file.palette.end());
  out.insert(out.end(), file.pixels.begin(), file.pixels.end());
  return out;
}

// Rows of varied bytes, each padded with zeros to a multiple of 4 bytes.
inline std::vector<uint8_t> pattern_rows(uint32_t width, uint32_t height, uint16_t bits) {
  const uint32_t used = (bits * width + 7) / 8;
  const uint32_t size = (used + 3) / 4 * 4;
  std::vector<uint8_t> rows(static_cast<size_t>(size) * height, 0);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < used; ++x) rows[y * size + x] = static_cast<uint8_t>(x * 31 + y * 17 + 3);
  }
  return rows;
}

// A palette of count 4-byte entries with distinct colours.
inline std::vector<uint8_t> pattern_palette(uint32_t count) {
  std::vector<uint8_t> palette;
  for (uint32_t i = 0; i < count; ++i) {
    palette.insert(palette.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                   static_cast<uint8_t>(i * 3), 0});
  }
  return palette;
}

// A complete file of the given depth with a full palette for 8 bits or fewer.
inline std::vector<uint8_t> pattern_bmp(int32_t width, int32_t height, uint16_t bits) {
  BmpFile file;
  file.width = width;
  file.height = height;
  file.bits = bits;
  if (bits <= 8) {
    file.colours_used = 1u << bits;
    file.palette = pattern_palette(file.colours_used);
  }
  file.pixels = pattern_rows(static_cast<uint32_t>(width), static_cast<uint32_t>(height < 0 ? -height : height), bits);
  return bmp_bytes(file);
}
