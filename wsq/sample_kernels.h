#pragma once
// The codec's per-sample conversions: 8-bit pixels to normalised floats and
// back, and quantized coefficients to floats. Each exists as plain code (the
// reference) and as vector code that gives the same bits, chosen where the
// processor has it.
#include <cstdint>
#include <vector>

// out[i] = (in[i] - shift) / scale.
void bytes_to_floats(float* out, const uint8_t* in, int64_t count, float shift, float scale);
void bytes_to_floats_reference(float* out, const uint8_t* in, int64_t count, float shift,
                               float scale);

// out[i] = in[i] * scale + shift, plus 0.5, clamped to 0..255 (not a number
// gives 0) and truncated.
void floats_to_bytes(uint8_t* out, const float* in, int64_t count, float scale, float shift);
void floats_to_bytes_reference(uint8_t* out, const float* in, int64_t count, float scale,
                               float shift);

// A quantized coefficient v to its value: (v - c) * q + half_z above 0,
// (v + c) * q - half_z below, 0 for 0.
void unquantize_values(float* out, const int16_t* in, int32_t count, float c, float q,
                       float half_z);
void unquantize_values_reference(float* out, const int16_t* in, int32_t count, float c, float q,
                                 float half_z);

// A coefficient to its bin: 0 within +-half_zero, else the bin index counted
// from the zero bin, truncated toward zero and clamped to 16 bits.
void quantize_values(int16_t* out, const float* in, int32_t count, float half_zero,
                     float bin_width);
void quantize_values_reference(int16_t* out, const float* in, int32_t count, float half_zero,
                               float bin_width);

// The largest of `start` and every |in[i]|, ignoring values that are not
// numbers.
float largest_magnitude(const float* in, int32_t count, float start);
float largest_magnitude_reference(const float* in, int32_t count, float start);

// Smallest and largest pixel and the sum of all.
struct PixelStats {
  int32_t minimum = 255;
  int32_t maximum = 0;
  int64_t sum = 0;
};
PixelStats pixel_stats(const uint8_t* in, int64_t count);
PixelStats pixel_stats_reference(const uint8_t* in, int64_t count);

// The conversions with versions for wider instruction sets. The widest set
// the processor runs is chosen once, at first use.
struct SampleKernelSet {
  const char* name;
  void (*floats_to_bytes)(uint8_t* out, const float* in, int64_t count, float scale, float shift);
  void (*unquantize)(float* out, const int16_t* in, int32_t count, float c, float q, float half_z);
  void (*quantize)(int16_t* out, const float* in, int32_t count, float half_zero, float bin_width);
};

// Every set this processor can run, narrowest first (for tests).
const std::vector<SampleKernelSet>& runnable_sample_kernels();
