#pragma once
// Geometry of the WSQ decomposition, computed from the image size: the 20
// wavelet nodes that say where each two-channel split happens, and the 64
// subband rectangles of the transformed plane (0..59 are coded, 60..63 never).
#include <array>
#include <cstdint>

inline constexpr int kWaveletNodeCount = 20;
inline constexpr int kSubbandRectCount = 64;
inline constexpr int kCodedSubbandCount = 60;

// One split of the cascade: the rectangle it covers and which half comes
// first after the row pass (ir) and the column pass (ic): 1 = high-pass first.
struct WaveletNode {
  int32_t x = 0;
  int32_t y = 0;
  int32_t dx = 0;
  int32_t dy = 0;
  int32_t ir = 0;
  int32_t ic = 0;
};

// One subband of the transformed plane. The fields are 32-bit so that images
// up to 65535 pixels wide or high keep their coordinates.
struct SubbandRect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t lx = 0;
  int32_t ly = 0;
};

using WaveletTree = std::array<WaveletNode, kWaveletNodeCount>;
using SubbandTree = std::array<SubbandRect, kSubbandRectCount>;

// Both tables, rebuilt at the start of every encode and decode.
struct WsqTrees {
  WaveletTree wavelet_tree{};
  SubbandTree subband_tree{};
};

void build_wavelet_tree(WaveletTree& tree, int32_t width, int32_t height);
void build_subband_tree(SubbandTree& subbands, const WaveletTree& tree);

// Fills the wavelet tree, then the subband tree, for a width x height image.
void build_wsq_trees(WsqTrees& trees, int32_t width, int32_t height);
