#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "wsq/trees.h"

namespace {

struct Rect {
  int32_t x, y, w, h;
};

void expect_node(const WaveletTree& tree, int index, Rect r) {
  SCOPED_TRACE(index);
  EXPECT_EQ(tree[index].x, r.x);
  EXPECT_EQ(tree[index].y, r.y);
  EXPECT_EQ(tree[index].dx, r.w);
  EXPECT_EQ(tree[index].dy, r.h);
}

void expect_subband(const SubbandTree& subbands, int index, Rect r) {
  SCOPED_TRACE(index);
  EXPECT_EQ(subbands[index].x, r.x);
  EXPECT_EQ(subbands[index].y, r.y);
  EXPECT_EQ(subbands[index].lx, r.w);
  EXPECT_EQ(subbands[index].ly, r.h);
}

TEST(WsqTrees, KnownNodesAndSubbandsOf545x622) {
  WsqTrees trees;
  build_wsq_trees(trees, 545, 622);
  expect_node(trees.wavelet_tree, 1, {0, 0, 273, 311});
  expect_node(trees.wavelet_tree, 4, {137, 0, 136, 156});
  expect_node(trees.wavelet_tree, 5, {0, 156, 137, 155});
  expect_node(trees.wavelet_tree, 10, {0, 156, 69, 77});
  expect_node(trees.wavelet_tree, 12, {0, 233, 69, 78});
  expect_node(trees.wavelet_tree, 19, {0, 0, 35, 39});
  expect_subband(trees.subband_tree, 0, {0, 0, 18, 20});
  expect_subband(trees.subband_tree, 19, {137, 0, 34, 39});
  expect_subband(trees.subband_tree, 51, {137, 156, 136, 155});
  expect_subband(trees.subband_tree, 59, {137, 466, 136, 156});
  expect_subband(trees.subband_tree, 63, {409, 466, 136, 156});
}

TEST(WsqTrees, InversionFlags) {
  WsqTrees trees;
  build_wsq_trees(trees, 100, 100);
  const std::vector<int> row_high_first{2, 4, 7, 9, 11, 13, 16, 18};
  const std::vector<int> column_high_first{3, 5, 8, 9, 12, 13, 17, 18};
  for (int i = 0; i < kWaveletNodeCount; ++i) {
    SCOPED_TRACE(i);
    const bool ir =
        std::find(row_high_first.begin(), row_high_first.end(), i) != row_high_first.end();
    const bool ic =
        std::find(column_high_first.begin(), column_high_first.end(), i) != column_high_first.end();
    EXPECT_EQ(trees.wavelet_tree[i].ir, ir ? 1 : 0);
    EXPECT_EQ(trees.wavelet_tree[i].ic, ic ? 1 : 0);
  }
}

TEST(WsqTrees, OddSizesPutTheLargerHalfLeftAndOnTopExceptNodes4And5) {
  WsqTrees trees;
  build_wsq_trees(trees, 131, 131);  // node 1 is 66 x 66, its halves 33 each
  const WaveletTree& t = trees.wavelet_tree;
  EXPECT_EQ(t[1].dx, 66);
  EXPECT_EQ(t[1].dy, 66);
  // Node 4 (33 wide) splits with the larger half on the right.
  EXPECT_EQ(t[6].dx, 16);
  EXPECT_EQ(t[7].dx, 17);
  // Node 5 (33 high) splits with the larger half at the bottom.
  EXPECT_EQ(t[10].dy, 16);
  EXPECT_EQ(t[12].dy, 17);
  // Node 14 (33 x 33) keeps the larger halves left and on top.
  EXPECT_EQ(t[15].dx, 17);
  EXPECT_EQ(t[16].dx, 16);
  EXPECT_EQ(t[15].dy, 17);
  EXPECT_EQ(t[17].dy, 16);
}

// Every pixel of the image belongs to exactly one of the 64 subbands.
void expect_exact_tiling(int32_t width, int32_t height) {
  SCOPED_TRACE(::testing::Message() << width << " x " << height);
  WsqTrees trees;
  build_wsq_trees(trees, width, height);
  std::vector<int> cover(static_cast<size_t>(width) * height, 0);
  for (const SubbandRect& r : trees.subband_tree) {
    ASSERT_GE(r.lx, 0);
    ASSERT_GE(r.ly, 0);
    ASSERT_GE(r.x, 0);
    ASSERT_GE(r.y, 0);
    ASSERT_LE(r.x + r.lx, width);
    ASSERT_LE(r.y + r.ly, height);
    for (int32_t y = r.y; y < r.y + r.ly; ++y) {
      for (int32_t x = r.x; x < r.x + r.lx; ++x) ++cover[static_cast<size_t>(y) * width + x];
    }
  }
  for (int c : cover) ASSERT_EQ(c, 1);
}

TEST(WsqTrees, SubbandsTileTheImageExactlyOnce) {
  for (int32_t width : {65, 66, 67, 80, 81, 97, 128, 255, 256, 257, 545, 601}) {
    for (int32_t height : {65, 70, 81, 99, 127, 128, 129, 622}) expect_exact_tiling(width, height);
  }
}

TEST(WsqTrees, WideImagesKeepTheirCoordinates) {
  WsqTrees trees;
  build_wsq_trees(trees, 65535, 100);
  EXPECT_EQ(trees.subband_tree[60].x, 32768);
  EXPECT_EQ(trees.subband_tree[63].x + trees.subband_tree[63].lx, 65535);
}

}  // namespace
