#pragma once
// Inputs and fingerprints shared by the reliability tests: records made from
// the synthetic print generator, so every run sees the same pixels.
#include <cstdint>
#include <span>
#include <vector>

#include "imagelib/image_record.h"
#include "tools/synthetic_print.h"

// A 24-bit bottom-up record of the synthetic print; blue and red are shifted
// a little so colour writers see three different channels.
inline ImageRecord print_record(uint32_t width, uint32_t height, uint32_t seed) {
  const std::vector<uint8_t> grey = make_synthetic_print(static_cast<int>(width), static_cast<int>(height), seed);
  ImageRecord image;
  image.width = width;
  image.height = height;
  image.bits_per_pixel = 24;
  if (image_allocate(image) != NoError) return image;
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* source = grey.data() + static_cast<size_t>(height - 1 - y) * width;
    uint8_t* out = image.row(y);
    for (uint32_t x = 0; x < width; ++x, out += 3) {
      out[0] = static_cast<uint8_t>(source[x] / 2);
      out[1] = source[x];
      out[2] = static_cast<uint8_t>(255 - source[x]);
    }
  }
  return image;
}

// 64-bit FNV-1a of the bytes: a short fingerprint of a codestream or image.
inline uint64_t fnv1a(std::span<const uint8_t> bytes) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (uint8_t b : bytes) hash = (hash ^ b) * 0x100000001b3ull;
  return hash;
}
