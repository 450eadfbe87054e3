#include "wsq/transform.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <vector>

#include "wsq/diagnostics.h"
#include "wsq/transform_bands.h"
#include "wsq/transform_lines.h"

namespace {

// Lines filtered per pass through the scratch area: enough to keep the column
// pass cache-friendly, small enough that the scratch is a few rows.
constexpr int32_t kBandLines = 32;

bool nodes_fit_filters(const WaveletTree& tree, int32_t node_count) {
  for (int32_t i = 0; i < node_count; ++i) {
    if (tree[i].dx < kMinNodeSide || tree[i].dy < kMinNodeSide) return false;
  }
  return true;
}

std::size_t scratch_size(int32_t width, int32_t height) {
  return static_cast<std::size_t>(kBandLines) * static_cast<std::size_t>(std::max(width, height));
}

using LineKernel = void (*)(float*, LineLayout, const float*, LineLayout, int32_t, int32_t,
                            const FilterPair&, int32_t);

// Filters the rows of a node, a band at a time, through the scratch area and
// back into the plane.
void filter_rows(LineKernel kernel, float* plane, int32_t width, const WaveletNode& node,
                 const FilterPair& filters, float* scratch) {
  float* base = plane + static_cast<std::ptrdiff_t>(node.y) * width + node.x;
  for (int32_t first = 0; first < node.dy; first += kBandLines) {
    const int32_t lines = std::min(kBandLines, node.dy - first);
    float* rows = base + static_cast<std::ptrdiff_t>(first) * width;
    kernel(scratch, {node.dx, 1}, rows, {width, 1}, lines, node.dx, filters, node.ir);
    for (int32_t r = 0; r < lines; ++r) {
      std::copy_n(scratch + static_cast<std::ptrdiff_t>(r) * node.dx, node.dx,
                  rows + static_cast<std::ptrdiff_t>(r) * width);
    }
  }
}

// Filters the columns of a node, a band of neighbouring columns at a time.
void filter_columns(LineKernel kernel, float* plane, int32_t width, const WaveletNode& node,
                    const FilterPair& filters, float* scratch) {
  float* base = plane + static_cast<std::ptrdiff_t>(node.y) * width + node.x;
  for (int32_t first = 0; first < node.dx; first += kBandLines) {
    const int32_t lines = std::min(kBandLines, node.dx - first);
    float* columns = base + first;
    kernel(scratch, {1, lines}, columns, {1, width}, lines, node.dy, filters, node.ic);
    for (int32_t r = 0; r < node.dy; ++r) {
      std::copy_n(scratch + static_cast<std::ptrdiff_t>(r) * lines, lines,
                  columns + static_cast<std::ptrdiff_t>(r) * width);
    }
  }
}

}  // namespace

void analysis_lines(float* destination, const float* source, int32_t lines, int32_t length,
                    int32_t pitch, int32_t stride, const float* hi, int32_t hsize, const float* lo,
                    int32_t lsize, int32_t invert) {
  analyse_lines(destination, {pitch, stride}, source, {pitch, stride}, lines, length,
                {hi, hsize, lo, lsize}, invert);
}

void synthesis_lines(float* destination, const float* source, int32_t lines, int32_t length,
                     int32_t pitch, int32_t stride, const float* hi, int32_t hsize, const float* lo,
                     int32_t lsize, int32_t invert) {
  synthesise_lines(destination, {pitch, stride}, source, {pitch, stride}, lines, length,
                   {hi, hsize, lo, lsize}, invert);
}

int32_t wsq_decompose(float* fdata, int32_t width, int32_t height, const WaveletTree& tree,
                      int32_t node_count, const float* hifilt, int32_t hisize, const float* lofilt,
                      int32_t losize) {
  node_count = std::clamp(node_count, 0, kWaveletNodeCount);
  if (!nodes_fit_filters(tree, node_count)) {
    diag_write("ERROR : wsq_decompose : image too small for the wavelet filters\n");
    return -98;
  }
  std::vector<float> scratch;
  try {
    scratch.resize(scratch_size(width, height));
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : wsq_decompose : malloc : fdata1\n");
    return -94;
  }
  const FilterPair filters{hifilt, hisize, lofilt, losize};
  for (int32_t i = 0; i < node_count; ++i) {
    filter_rows(analyse_bands, fdata, width, tree[i], filters, scratch.data());
    filter_columns(analyse_bands, fdata, width, tree[i], filters, scratch.data());
  }
  return 0;
}

int32_t wsq_reconstruct(float* fdata, int32_t width, int32_t height, const WaveletTree& tree,
                        int32_t node_count, const TransformTable& table) {
  if (table.lo_defined != 1) {
    diag_write("ERROR: wsq_reconstruct : Lopass filter coefficients not defined\n");
    return -95;
  }
  if (table.hi_defined != 1) {
    diag_write("ERROR: wsq_reconstruct : Hipass filter coefficients not defined\n");
    return -96;
  }
  node_count = std::clamp(node_count, 0, kWaveletNodeCount);
  const bool filters_sound = table.losize >= 1 && table.hisize >= 1 &&
                             table.lofilt.size() >= table.losize &&
                             table.hifilt.size() >= table.hisize;
  if (!filters_sound || !nodes_fit_filters(tree, node_count)) {
    diag_write("ERROR : wsq_reconstruct : image too small for the wavelet filters\n");
    return -98;
  }
  std::vector<float> scratch;
  try {
    scratch.resize(scratch_size(width, height));
  } catch (const std::bad_alloc&) {
    diag_write("ERROR : wsq_reconstruct : malloc : fdata1\n");
    return -97;
  }
  const FilterPair filters{table.hifilt.data(), table.hisize, table.lofilt.data(), table.losize};
  for (int32_t i = node_count - 1; i >= 0; --i) {
    filter_columns(synthesise_bands, fdata, width, tree[i], filters, scratch.data());
    filter_rows(synthesise_bands, fdata, width, tree[i], filters, scratch.data());
  }
  return 0;
}

void image_to_floats(float* fdata, float& m_shift, float& r_scale, const uint8_t* pixels,
                     int32_t count) {
  int32_t maximum = 0;
  int32_t minimum = 255;
  int64_t sum = 0;
  for (int32_t i = 0; i < count; ++i) {
    maximum = std::max<int32_t>(maximum, pixels[i]);
    minimum = std::min<int32_t>(minimum, pixels[i]);
    sum += pixels[i];
  }
  m_shift = count > 0 ? static_cast<float>(static_cast<double>(sum) / count) : 0.0f;
  const float low = m_shift - static_cast<float>(minimum);
  const float high = static_cast<float>(maximum) - m_shift;
  r_scale = (low >= high ? low : high) * 0.0078125f;

  if (r_scale == 0.0f) {
    // A uniform image: every sample sits at the mean.
    std::fill_n(fdata, count, 0.0f);
    return;
  }
  for (int32_t i = 0; i < count; ++i) {
    fdata[i] = (static_cast<float>(pixels[i]) - m_shift) / r_scale;
  }
}

void floats_to_image(uint8_t* pixels, const float* fdata, int32_t width, int32_t height,
                     float m_shift, float r_scale) {
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  for (std::size_t i = 0; i < count; ++i) {
    float v = fdata[i] * r_scale + m_shift;
    v = v + 0.5f;
    if (!(v >= 0.0f)) {
      pixels[i] = 0;  // below zero (or not a number)
    } else if (v > 255.0f) {
      pixels[i] = 255;
    } else {
      pixels[i] = static_cast<uint8_t>(v);
    }
  }
}
