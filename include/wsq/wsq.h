#pragma once
// The WSQ codec's public C++ interface: decode a codestream held in memory
// into a grey image, encode grey pixels into a codestream, and read the
// NISTCOM attributes a codestream carries. Every call is independent of the
// others and may run on any thread; nothing throws.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace wsq {

// What a call returns. The values are the codec's own failure codes; some
// of them stand for more than one cause, as error_text says.
enum class Error : int32_t {
  ok = 0,
  all_ones_code = -1,
  bad_segment = -2,
  no_memory_list = -3,
  bad_huffman_table = -4,
  field_too_long = -5,
  bad_huffman_id = -6,
  no_memory_samples = -10,
  bad_block_sizes = -11,
  no_memory_codestream = -12,
  no_memory_blocks = -13,
  bad_size = -14,
  bad_bitrate = -15,
  no_memory_coefficients = -20,
  no_memory_pixels = -21,
  empty_frame = -22,
  frame_too_small = -23,
  too_many_pixels = -24,
  output_full = -32,
  output_overflow = -33,
  comment_too_long = -34,
  end_of_data = -39,
  truncated_data = -40,
  no_stuffed_zero = -41,
  no_memory_counts = -48,
  block_too_long = -49,
  undefined_huffman_table = -51,
  invalid_symbol = -52,
  no_matching_code = -53,
  too_many_coefficients = -54,
  bin_width_too_large = -86,
  zero_bin_width_too_large = -87,
  no_soi_marker = -88,
  no_sof_marker = -89,
  no_sob_marker = -90,
  no_marker = -91,
  undefined_quant_table = -92,
  invalid_table = -93,
  no_memory_filters = -94,
  undefined_lowpass = -95,
  undefined_highpass = -96,
  no_memory_transform = -97,
  filters_too_long = -98,
  input_too_large = -100,
  bad_argument = -101,
};

// A short English text for the code; "unknown error" for a value the codec
// never returns.
const char* error_text(Error error);

// Receives the codec's diagnostic texts, each as written.
using MessageSink = std::function<void(std::string_view)>;

struct Options {
  // Images of more pixels are refused with too_many_pixels before anything
  // large is allocated.
  uint64_t max_pixels = 100'000'000;
  // Threads one call may use, the caller's own included; 0 (or below) uses
  // every core, and counts above 64 use 64. The result never depends on it.
  int32_t threads = 0;
  // Where diagnostic texts go; when empty, to standard error.
  MessageSink messages;
};

struct Image {
  int32_t width = 0;
  int32_t height = 0;
  // Pixels per inch from the NISTCOM comment, -1 when not stated.
  int32_t ppi = -1;
  // width * height grey values, top row first.
  std::vector<uint8_t> pixels;
  // The texts of the comment segments before the first block, in order.
  std::vector<std::string> comments;
};

// One NISTCOM entry; an entry may have no value.
struct Field {
  std::string name;
  std::optional<std::string> value;
};

struct EncodeParams {
  // Target bits per pixel, a positive finite number (0.75 is usual).
  float bitrate = 0.75f;
  // Pixels per inch to record, -1 for none.
  int32_t ppi = -1;
  // Bits per pixel of the source, recorded in the NISTCOM comment only.
  int32_t depth = 8;
  // A NISTCOM text to merge into the codestream's attributes, or a plain
  // comment carried in its own segment; empty for none.
  std::string comment;
};

// Decodes a whole codestream. On failure `image` is left untouched. Each
// call starts from empty tables: a codestream that relies on tables from an
// earlier one is refused.
Error decode(std::span<const uint8_t> codestream, Image& image, const Options& options = {});

// Encodes width x height grey pixels (top row first; `pixels` holds at least
// width * height values). On failure `codestream` is left untouched.
Error encode(std::span<const uint8_t> pixels, int32_t width, int32_t height,
             const EncodeParams& params, std::vector<uint8_t>& codestream,
             const Options& options = {});

// The entries of the first NISTCOM comment before the first block; none
// (and ok) when there is no such comment.
Error read_nistcom(std::span<const uint8_t> codestream, std::vector<Field>& fields,
                   const Options& options = {});

}  // namespace wsq
