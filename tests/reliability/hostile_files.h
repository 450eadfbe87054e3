#pragma once
// Small files of every readable format whose headers declare a picture far
// larger than the file holds: 65535 x 65535 pixels (or near), so a reader that
// trusted the header would ask for gigabytes. The writable formats start from
// a real file written by the library and have their size fields rewritten;
// the others are built byte by byte.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "imagelib/image_library.h"
#include "tests/reliability/sample_images.h"
#include "tests/support/files.h"
#include "wsq/diagnostics.h"

namespace hostile {

using Bytes = std::vector<uint8_t>;

inline constexpr uint32_t kHuge = 65535;

struct HostileFile {
  std::string extension;
  Bytes bytes;
};

inline void put16le(Bytes& b, size_t at, uint32_t v) {
  b.at(at) = static_cast<uint8_t>(v);
  b.at(at + 1) = static_cast<uint8_t>(v >> 8);
}
inline void put32le(Bytes& b, size_t at, uint32_t v) {
  put16le(b, at, v);
  put16le(b, at + 2, v >> 16);
}
inline void put16be(Bytes& b, size_t at, uint32_t v) {
  b.at(at) = static_cast<uint8_t>(v >> 8);
  b.at(at + 1) = static_cast<uint8_t>(v);
}
inline void put32be(Bytes& b, size_t at, uint32_t v) {
  put16be(b, at, v >> 16);
  put16be(b, at + 2, v);
}
inline uint32_t get16le(const Bytes& b, size_t at) { return b.at(at) | (b.at(at + 1) << 8); }
inline uint32_t get32le(const Bytes& b, size_t at) { return get16le(b, at) | (get16le(b, at + 2) << 16); }

// A real 70 x 70 file of the extension, written by the library.
inline Bytes written(const std::string& folder, const std::string& extension) {
  const std::string path = folder + "/written." + extension;
  ImageInfo info;
  info.bitrate = 0.75;
  info.ppi = 500;
  ScopedDiagnostics quiet([](std::string_view) {});
  if (save_image(print_record(70, 70, 9), path, &info) != NoError) return {};
  return read_file_bytes(path);
}

// The offset of the first two-byte marker at or after from, or the size.
inline size_t find_marker(const Bytes& b, uint8_t first, uint8_t second, size_t from = 0) {
  for (size_t i = from; i + 1 < b.size(); ++i) {
    if (b[i] == first && b[i + 1] == second) return i;
  }
  return b.size();
}

inline Bytes bmp(const std::string& folder) {
  Bytes b = written(folder, "bmp");
  put32le(b, 18, kHuge);
  put32le(b, 22, kHuge);
  return b;
}

inline Bytes tga(const std::string& folder) {
  Bytes b = written(folder, "tga");
  put16le(b, 12, kHuge);
  put16le(b, 14, kHuge);
  return b;
}

inline Bytes sgi(const std::string& folder) {
  Bytes b = written(folder, "rgb");
  put16be(b, 6, kHuge);
  put16be(b, 8, kHuge);
  return b;
}

// IHDR's width and height, with its checksum made right again so the
// library reaches the size.
inline Bytes png_declaring(const std::string& folder, uint32_t width, uint32_t height) {
  Bytes b = written(folder, "png");
  put32be(b, 16, width);
  put32be(b, 20, height);
  put32be(b, 29, static_cast<uint32_t>(crc32(0, b.data() + 12, 17)));
  return b;
}
inline Bytes png(const std::string& folder) { return png_declaring(folder, kHuge, kHuge); }

// The ImageWidth and ImageLength entries of the first directory.
inline Bytes tiff(const std::string& folder) {
  Bytes b = written(folder, "tif");
  if (b.size() < 8 || b[0] != 'I') return b;
  const size_t directory = get32le(b, 4);
  const uint32_t entries = get16le(b, directory);
  for (uint32_t i = 0; i < entries; ++i) {
    const size_t entry = directory + 2 + 12 * i;
    const uint32_t tag = get16le(b, entry);
    if (tag != 256 && tag != 257) continue;
    if (get16le(b, entry + 2) == 3) {
      put16le(b, entry + 8, kHuge);
    } else {
      put32le(b, entry + 8, kHuge);
    }
  }
  return b;
}

// The baseline frame header's height and width.
inline Bytes jpeg(const std::string& folder) {
  Bytes b = written(folder, "jpg");
  const size_t frame = find_marker(b, 0xFF, 0xC0);
  put16be(b, frame + 5, kHuge);
  put16be(b, frame + 7, kHuge);
  return b;
}

// The frame header's height and width.
inline Bytes wsq(const std::string& folder) {
  Bytes b = written(folder, "wsq");
  const size_t frame = find_marker(b, 0xFF, 0xA2);
  put16be(b, frame + 6, kHuge);
  put16be(b, frame + 8, kHuge);
  return b;
}

// A logical screen and one image of 65535 x 65535 with one byte of data.
inline Bytes gif() {
  Bytes b = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255};
  put16le(b, 6, kHuge);
  put16le(b, 8, kHuge);
  const Bytes descriptor = {0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 2, 2, 0x44, 0x01, 0, 0x3B};
  b.insert(b.end(), descriptor.begin(), descriptor.end());
  return b;
}

// A version 5, 8-bit, one-plane header for 65535 x 65535 and two data bytes.
inline Bytes pcx() {
  Bytes b(128, 0);
  b[0] = 10;
  b[1] = 5;
  b[2] = 1;
  b[3] = 8;
  put16le(b, 8, kHuge - 1);
  put16le(b, 10, kHuge - 1);
  b[65] = 1;
  put16le(b, 66, kHuge);
  put16le(b, 68, 1);
  b.push_back(0xC1);
  b.push_back(0);
  return b;
}

// An Animator cel header for 65535 x 65535 with its palette and no pixels.
inline Bytes cel() {
  Bytes b(32 + 768, 0);
  put16le(b, 0, 0x9119);
  put16le(b, 2, kHuge);
  put16le(b, 4, kHuge);
  b[10] = 8;
  return b;
}

// FORM ILBM with a BMHD for 65535 x 65535, 8 planes, and a tiny BODY.
inline Bytes iff() {
  Bytes body = {'I', 'L', 'B', 'M', 'B', 'M', 'H', 'D', 0, 0, 0, 20};
  Bytes header(20, 0);
  put16be(header, 0, kHuge);
  put16be(header, 2, kHuge);
  header[8] = 8;
  header[14] = 10;
  header[15] = 11;
  body.insert(body.end(), header.begin(), header.end());
  const Bytes data = {'B', 'O', 'D', 'Y', 0, 0, 0, 2, 0, 0};
  body.insert(body.end(), data.begin(), data.end());
  Bytes b = {'F', 'O', 'R', 'M', 0, 0, 0, 0};
  put32be(b, 4, static_cast<uint32_t>(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

// A 3-channel, 8-bit RGB header for 65535 x 65535 with raw data of 4 bytes.
inline Bytes psd() {
  Bytes b = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0, 0, 3};
  b.resize(26, 0);
  put32be(b, 14, kHuge);
  put32be(b, 18, kHuge);
  put16be(b, 22, 8);
  put16be(b, 24, 3);
  b.resize(26 + 12 + 2 + 4, 0);
  return b;
}

// One hostile file per readable format.
inline std::vector<HostileFile> all(const std::string& folder) {
  return {{"bmp", bmp(folder)}, {"tga", tga(folder)}, {"rgb", sgi(folder)}, {"png", png(folder)},
          {"tif", tiff(folder)}, {"jpg", jpeg(folder)}, {"wsq", wsq(folder)}, {"gif", gif()},
          {"pcx", pcx()},        {"cel", cel()},        {"iff", iff()},        {"psd", psd()}};
}

}  // namespace hostile
