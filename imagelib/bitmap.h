#pragma once
// An in-memory model of the platform bitmaps the library converts to and
// from: a DIB section (header, bottom-up rows padded to 4 bytes, colour table)
// and a device-dependent bitmap (rows only, no colour table). Queries answer
// what the platform's GetObjectA answers for each kind.
#include <cstdint>
#include <memory>
#include <vector>

struct BitmapInfoHeader {
  uint32_t biSize = 40;
  int32_t biWidth = 0;
  int32_t biHeight = 0;
  uint16_t biPlanes = 1;
  uint16_t biBitCount = 0;
  uint32_t biCompression = 0;
  uint32_t biSizeImage = 0;
  int32_t biXPelsPerMeter = 0;
  int32_t biYPelsPerMeter = 0;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;
};

struct RgbQuad {
  uint8_t blue = 0;
  uint8_t green = 0;
  uint8_t red = 0;
  uint8_t reserved = 0;
};

struct BitmapInfo {
  BitmapInfoHeader header;
  RgbQuad colours[1];
};

enum class BitmapKind { DibSection, Device };

struct Bitmap {
  BitmapKind kind = BitmapKind::DibSection;
  BitmapInfoHeader header;           // biWidth, biHeight (> 0: bottom-up), biBitCount
  std::vector<uint8_t> bits;         // rows of row_size() bytes, bottom row first
  std::vector<RgbQuad> colour_table; // DIB sections of 8 bits or fewer

  uint32_t row_size() const {
    return ((static_cast<uint32_t>(header.biBitCount) * static_cast<uint32_t>(header.biWidth) + 31) / 32) * 4;
  }
};

// Bitmaps handed out by the library belong to the caller.
using BitmapHandle = std::unique_ptr<Bitmap>;
