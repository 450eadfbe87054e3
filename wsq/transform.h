#pragma once
// The WSQ wavelet transform: one-dimensional analysis and synthesis of sets of
// parallel lines with symmetric boundary extension, the 2-D decomposition and
// reconstruction over the wavelet tree, and the normalisation of 8-bit pixels
// to floats and back. Every result is a 32-bit float rounded after each tap,
// in tap order, so encoder and decoder agree to the bit.
#include <bit>
#include <cstdint>
#include <functional>

#include "wsq/tables.h"
#include "wsq/trees.h"
#include "wsq/worker_pool.h"

// The encoder's analysis filters (also written into its DTT segment).
inline constexpr int kEncoderLoSize = 9;
inline constexpr int kEncoderHiSize = 7;
inline constexpr float encoder_lofilt[kEncoderLoSize] = {
    std::bit_cast<float>(0x3D1AF203u), std::bit_cast<float>(0xBCC35FF4u),
    std::bit_cast<float>(0xBDE28F0Cu), std::bit_cast<float>(0x3EC13AF2u),
    std::bit_cast<float>(0x3F5A4A76u), std::bit_cast<float>(0x3EC13AF2u),
    std::bit_cast<float>(0xBDE28F0Cu), std::bit_cast<float>(0xBCC35FF4u),
    std::bit_cast<float>(0x3D1AF203u)};
inline constexpr float encoder_hifilt[kEncoderHiSize] = {
    std::bit_cast<float>(0x3D842CF6u), std::bit_cast<float>(0xBD26A9F2u),
    std::bit_cast<float>(0xBED61031u), std::bit_cast<float>(0x3F49DA31u),
    std::bit_cast<float>(0xBED61031u), std::bit_cast<float>(0xBD26A9F2u),
    std::bit_cast<float>(0x3D842CF6u)};

// Smallest node side the filters can work on: the analysis starts reading at
// sample 4 of a line.
inline constexpr int32_t kMinNodeSide = 5;

// Filters `lines` lines of `length` samples from `source` into `destination`
// (both laid out by `pitch`, the distance between line starts, and `stride`,
// the distance between samples). Each line becomes its low-pass then its
// high-pass half (high-pass first when `invert` is 1). Lines of fewer than 2
// samples are left untouched.
void analysis_lines(float* destination, const float* source, int32_t lines, int32_t length,
                    int32_t pitch, int32_t stride, const float* hi, int32_t hsize, const float* lo,
                    int32_t lsize, int32_t invert);

// Rebuilds lines of `length` samples from their low-pass and high-pass halves
// (high-pass first when `invert` is 1); the inverse of analysis_lines when
// given the matching synthesis filters. Lines of fewer than 4 samples are left
// untouched.
void synthesis_lines(float* destination, const float* source, int32_t lines, int32_t length,
                     int32_t pitch, int32_t stride, const float* hi, int32_t hsize, const float* lo,
                     int32_t lsize, int32_t invert);

// 8-bit pixels and how they become samples: (pixel - m_shift) / r_scale.
struct PixelInput {
  const uint8_t* pixels = nullptr;
  float m_shift = 0.0f;
  float r_scale = 0.0f;
};

// The mean of `count` pixels as m_shift, and as r_scale the larger distance
// from it to the darkest or the brightest pixel, over 128.
PixelInput pixel_input(const uint8_t* pixels, int32_t count);

// Decomposes the width x height plane in place over the 20 nodes, sharing
// the lines of each pass among the threads of `pool` (none: the caller's
// thread alone). With `input`, the plane is made from its pixels first (as
// image_to_floats makes it), by the first pass over the rows a few rows at
// a time, so fdata need hold nothing before. Returns 0, -94 (no memory) or
// -98 (a node too small for the filters).
int32_t wsq_decompose(float* fdata, int32_t width, int32_t height, const WaveletTree& tree,
                      int32_t node_count, const float* hifilt, int32_t hisize, const float* lofilt,
                      int32_t losize, WorkerPool* pool = nullptr,
                      const PixelInput* input = nullptr);

// Where wsq_reconstruct may put its result as 8-bit pixels, as
// floats_to_image makes them: `pixels` gives a buffer of width x height
// once the passes that need most scratch are done, or nullptr.
struct PixelOutput {
  std::function<uint8_t*()> pixels;
  float m_shift = 0.0f;
  float r_scale = 0.0f;
};

// Rebuilds the plane in place from its subbands with the table's synthesis
// filters, sharing the lines as wsq_decompose does. With `output`, the
// result goes to its pixels instead: the last pass over the rows turns them
// into pixels a few at a time while they are in cache, and leaves the plane
// holding what that pass read. Returns 0, -95 / -96 (filters not defined),
// -97 (no memory, or no pixel buffer) or -98 (a node too small for the
// filters).
int32_t wsq_reconstruct(float* fdata, int32_t width, int32_t height, const WaveletTree& tree,
                        int32_t node_count, const TransformTable& table, WorkerPool* pool = nullptr,
                        const PixelOutput* output = nullptr);

// Normalises `count` pixels: fdata = (pixel - m_shift) / r_scale. A uniform
// image (r_scale 0) gives a plane of zeros. The pixels are shared among the
// threads of `pool`, if any.
void image_to_floats(float* fdata, float& m_shift, float& r_scale, const uint8_t* pixels,
                     int32_t count, WorkerPool* pool = nullptr);

// Converts a plane back to 8-bit pixels: f * r_scale + m_shift, rounded and
// clamped to 0..255, shared among the threads of `pool`, if any.
void floats_to_image(uint8_t* pixels, const float* fdata, int32_t width, int32_t height,
                     float m_shift, float r_scale, WorkerPool* pool = nullptr);
