#pragma once
// The decoder's table state: what the DTT, DQT, DHT and SOF segments of a
// codestream define. The readers fill these records; the Huffman block
// decoder, the unquantizer and the wavelet reconstruction use them. A decoder
// context keeps one of each across decodes (see wsq/decoder.h).
#include <array>
#include <cstdint>
#include <vector>

// Number of subbands of the WSQ decomposition (60 coded, 4 never coded).
inline constexpr int kSubbandCount = 64;
// Huffman table slots: ids 0 to 7.
inline constexpr int kHuffmanSlotCount = 8;
// Largest number of values a Huffman table holds in the code construction.
inline constexpr int kMaxHuffcounts = 256;
// Size of a table's value array: the limit plus one (the values, zero after).
inline constexpr int kHuffvaluesSize = kMaxHuffcounts + 1;
// Code lengths run from 1 to 16 bits.
inline constexpr int kMaxHuffbits = 16;

// Synthesis filters rebuilt from a DTT segment (see getc_transform_table).
struct TransformTable {
  std::vector<float> lofilt;  // losize taps, lowpass synthesis filter
  std::vector<float> hifilt;  // hisize taps, highpass synthesis filter
  uint8_t losize = 0;
  uint8_t hisize = 0;
  uint8_t lo_defined = 0;  // 1 once lofilt was read
  uint8_t hi_defined = 0;  // 1 once hifilt was read
};

// Bin widths of the 64 subbands from a DQT segment.
struct QuantTable {
  float centre = 0.0f;                  // bin centre
  std::array<float, kSubbandCount> q{};  // bin widths
  std::array<float, kSubbandCount> z{};  // zero-bin widths
  uint8_t defined = 0;
};

// One Huffman table slot: 16 counts (codes of length 1..16) and the values
// in order of increasing code length, zero after the last one.
struct HuffmanTable {
  uint8_t defined = 0;
  std::array<uint8_t, kMaxHuffbits> huffbits{};
  std::array<uint8_t, kHuffvaluesSize> huffvalues{};
};

struct HuffmanTableSet {
  std::array<HuffmanTable, kHuffmanSlotCount> slots{};
};

// The SOF segment. The decoder uses width, height, m_shift and r_scale; the
// other fields are kept as read.
struct FrameHeader {
  uint8_t black = 0;
  uint8_t white = 0;
  uint16_t width = 0;
  uint16_t height = 0;
  float m_shift = 0.0f;
  float r_scale = 0.0f;
  uint8_t encoder = 0;
  uint16_t software = 0;
};
