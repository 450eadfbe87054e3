#include "wsq/trees.h"

#include <utility>

namespace {

int32_t ceil_half(int32_t n) { return (n % 2 == 0) ? n / 2 : (n + 1) / 2; }
int32_t floor_half(int32_t n) { return (n % 2 == 0) ? n / 2 : (n - 1) / 2; }

// The two halves of a node's width or height. An odd length gives its extra
// sample to the second half when `second_gets_extra`, else to the first.
std::pair<int32_t, int32_t> split_length(int32_t length, bool second_gets_extra) {
  if (second_gets_extra) return {floor_half(length), ceil_half(length)};
  return {ceil_half(length), floor_half(length)};
}

// Node p covers (x, y, width, height); children c..c+3 are its quarters. On an
// odd size the larger half goes left / on top, except for nodes 4 (width) and
// 5 (height). With `stop` set the bottom-right quarter gets no node.
void split_wavelet_node(WaveletTree& tree, int p, int c, int32_t width, int32_t height, int32_t x,
                        int32_t y, bool stop) {
  tree[p].x = x;
  tree[p].y = y;
  tree[p].dx = width;
  tree[p].dy = height;

  const auto [left, right] = split_length(width, p == 4);
  tree[c].x = x;
  tree[c].dx = left;
  tree[c + 2].x = x;
  tree[c + 2].dx = left;
  tree[c + 1].x = x + left;
  tree[c + 1].dx = right;

  const auto [top, bottom] = split_length(height, p == 5);
  tree[c].y = y;
  tree[c].dy = top;
  tree[c + 1].y = y;
  tree[c + 1].dy = top;
  tree[c + 2].y = y + top;
  tree[c + 2].dy = bottom;

  if (!stop) {
    tree[c + 3].x = x + left;
    tree[c + 3].y = y + top;
    tree[c + 3].dx = right;
    tree[c + 3].dy = bottom;
  }
}

void set_rect(SubbandRect& r, int32_t x, int32_t y, int32_t lx, int32_t ly) {
  r.x = x;
  r.y = y;
  r.lx = lx;
  r.ly = ly;
}

// Entries p, p+1 (top row) and p+2, p+3 (bottom row); larger halves left and on top.
void split_into_four(SubbandTree& s, int p, int32_t width, int32_t height, int32_t x, int32_t y) {
  const int32_t left = ceil_half(width);
  const int32_t right = floor_half(width);
  const int32_t top = ceil_half(height);
  const int32_t bottom = floor_half(height);
  set_rect(s[p], x, y, left, top);
  set_rect(s[p + 1], x + left, y, right, top);
  set_rect(s[p + 2], x, y + top, left, bottom);
  set_rect(s[p + 3], x + left, y + top, right, bottom);
}

// Sixteen entries from p: four quarters of four each. `rw` and `cl` choose
// which first half of an odd height / width is the larger one.
void split_into_sixteen(SubbandTree& s, int p, const WaveletNode& node, bool rw, bool cl) {
  const int32_t width = node.dx;
  const int32_t height = node.dy;
  const int32_t x = node.x;
  const int32_t y = node.y;

  int32_t tx = width / 2;
  int32_t t2x = width / 2;
  if (width % 2 != 0) {
    if (cl) {
      t2x = (width + 1) / 2;
      tx = t2x - 1;
    } else {
      tx = (width + 1) / 2;
      t2x = tx - 1;
    }
  }
  int32_t ty = height / 2;
  int32_t t2y = height / 2;
  if (height % 2 != 0) {
    if (rw) {
      t2y = (height + 1) / 2;
      ty = t2y - 1;
    } else {
      ty = (height + 1) / 2;
      t2y = ty - 1;
    }
  }

  // Top-left quarter.
  split_into_four(s, p, tx, ty, x, y);

  // Top-right quarter: larger half of an odd width on the right.
  int32_t narrow = t2x / 2;
  int32_t wide = t2x / 2;
  if (t2x % 2 != 0) {
    wide = (t2x + 1) / 2;
    narrow = wide - 1;
  }
  set_rect(s[p + 4], x + tx, s[p].y, narrow, s[p].ly);
  set_rect(s[p + 6], x + tx, s[p + 2].y, narrow, s[p + 2].ly);
  set_rect(s[p + 5], x + tx + narrow, s[p].y, wide, s[p].ly);
  set_rect(s[p + 7], x + tx + narrow, s[p + 2].y, wide, s[p + 2].ly);

  // Bottom-left quarter: larger half of an odd height at the bottom.
  int32_t low = t2y / 2;
  int32_t high = t2y / 2;
  if (t2y % 2 != 0) {
    high = (t2y + 1) / 2;
    low = high - 1;
  }
  set_rect(s[p + 8], s[p].x, y + ty, s[p].lx, low);
  set_rect(s[p + 9], s[p + 1].x, y + ty, s[p + 1].lx, low);
  set_rect(s[p + 10], s[p].x, y + ty + low, s[p].lx, high);
  set_rect(s[p + 11], s[p + 1].x, y + ty + low, s[p + 1].lx, high);

  // Bottom-right quarter: columns of the top-right, rows of the bottom-left.
  set_rect(s[p + 12], s[p + 4].x, s[p + 8].y, s[p + 4].lx, s[p + 8].ly);
  set_rect(s[p + 13], s[p + 5].x, s[p + 8].y, s[p + 5].lx, s[p + 8].ly);
  set_rect(s[p + 14], s[p + 4].x, s[p + 10].y, s[p + 4].lx, s[p + 10].ly);
  set_rect(s[p + 15], s[p + 5].x, s[p + 10].y, s[p + 5].lx, s[p + 10].ly);
}

}  // namespace

void build_wavelet_tree(WaveletTree& tree, int32_t width, int32_t height) {
  for (WaveletNode& node : tree) {
    node.ir = 0;
    node.ic = 0;
  }
  for (int p : {2, 4, 7, 9, 11, 13, 16, 18}) tree[p].ir = 1;
  for (int p : {3, 5, 8, 9, 12, 13, 17, 18}) tree[p].ic = 1;

  split_wavelet_node(tree, 0, 1, width, height, 0, 0, true);
  const int32_t a = ceil_half(tree[1].dx);
  const int32_t a2 = floor_half(tree[1].dx);
  const int32_t b = ceil_half(tree[1].dy);
  const int32_t b2 = floor_half(tree[1].dy);
  split_wavelet_node(tree, 4, 6, a2, b, a, 0, false);
  split_wavelet_node(tree, 5, 10, a, b2, 0, b, false);
  split_wavelet_node(tree, 14, 15, a, b, 0, 0, false);

  tree[19].x = 0;
  tree[19].y = 0;
  tree[19].dx = ceil_half(tree[15].dx);
  tree[19].dy = ceil_half(tree[15].dy);
}

// Later steps overwrite entries of earlier ones (48..50 and 3).
void build_subband_tree(SubbandTree& subbands, const WaveletTree& tree) {
  split_into_sixteen(subbands, 3, tree[14], false, false);
  split_into_sixteen(subbands, 19, tree[4], false, true);
  split_into_sixteen(subbands, 48, tree[0], false, false);
  split_into_sixteen(subbands, 35, tree[5], true, false);
  split_into_four(subbands, 0, tree[19].dx, tree[19].dy, tree[19].x, tree[19].y);
}

void build_wsq_trees(WsqTrees& trees, int32_t width, int32_t height) {
  build_wavelet_tree(trees.wavelet_tree, width, height);
  build_subband_tree(trees.subband_tree, trees.wavelet_tree);
}
