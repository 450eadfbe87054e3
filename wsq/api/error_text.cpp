// One text per codec failure code.
#include <algorithm>
#include <iterator>
#include <utility>

#include "wsq/wsq.h"

namespace wsq {
namespace {

constexpr std::pair<Error, const char*> kTexts[] = {
    {Error::ok, "no error"},
    {Error::all_ones_code, "a Huffman code of all one bits"},
    {Error::bad_segment,
     "a malformed segment, a Huffman table defined twice, or a missing NISTCOM entry"},
    {Error::no_memory_list, "out of memory for a NISTCOM list or Huffman code sizes"},
    {Error::bad_huffman_table,
     "a Huffman table with too many values or too long codes, or out of memory for a NISTCOM list"},
    {Error::field_too_long, "a NISTCOM name or value of 512 characters or more"},
    {Error::bad_huffman_id, "a Huffman table number beyond the table slots"},
    {Error::no_memory_samples, "out of memory for the image samples"},
    {Error::bad_block_sizes, "the quantization block sizes do not add up"},
    {Error::no_memory_codestream, "out of memory for the codestream"},
    {Error::no_memory_blocks, "out of memory for the coded blocks"},
    {Error::bad_size, "a width or height outside 65 to 65535 pixels"},
    {Error::bad_bitrate, "a bitrate that is not a positive finite number"},
    {Error::no_memory_coefficients, "out of memory for the coefficients"},
    {Error::no_memory_pixels, "out of memory for the pixels"},
    {Error::empty_frame, "a frame of no pixels"},
    {Error::frame_too_small, "a frame below 65 x 65 pixels"},
    {Error::too_many_pixels, "an image above the pixel limit"},
    {Error::output_full, "the output buffer is full"},
    {Error::output_overflow, "the output buffer overflows"},
    {Error::comment_too_long, "a comment too long for one segment"},
    {Error::end_of_data, "the codestream ends early"},
    {Error::truncated_data, "the codestream ends inside a segment"},
    {Error::no_stuffed_zero, "a 0xFF byte in block data without its stuffed zero"},
    {Error::no_memory_counts, "out of memory for the Huffman counts"},
    {Error::block_too_long, "a coded block longer than its buffer"},
    {Error::undefined_huffman_table, "a block uses an undefined or empty Huffman table"},
    {Error::invalid_symbol, "an invalid Huffman symbol in block data"},
    {Error::no_matching_code, "block data matches no Huffman code"},
    {Error::too_many_coefficients, "block data holds more coefficients than the image"},
    {Error::bin_width_too_large, "a quantizer bin width too large to record"},
    {Error::zero_bin_width_too_large, "a quantizer zero-bin width too large to record"},
    {Error::no_soi_marker, "no start-of-image marker: not a WSQ codestream"},
    {Error::no_sof_marker, "no frame, table or comment marker where one is required"},
    {Error::no_sob_marker,
     "no block, table or comment marker where one is required, or out of memory quantizing"},
    {Error::no_marker, "no marker where one is required, or out of memory dequantizing"},
    {Error::undefined_quant_table, "no quantization table defined"},
    {Error::invalid_table, "an unknown table segment"},
    {Error::no_memory_filters, "out of memory for the wavelet filters or transform"},
    {Error::undefined_lowpass,
     "no lowpass filter defined, or out of memory for the highpass filter"},
    {Error::undefined_highpass, "no highpass filter defined"},
    {Error::no_memory_transform, "out of memory for the inverse transform"},
    {Error::filters_too_long,
     "a wavelet filter of no taps, or an image too small for the wavelet filters"},
    {Error::input_too_large, "a codestream or image too large to handle"},
    {Error::bad_argument, "a pixel buffer smaller than width x height"},
};

}  // namespace

const char* error_text(Error error) {
  const auto* found = std::find_if(std::begin(kTexts), std::end(kTexts),
                                   [error](const auto& entry) { return entry.first == error; });
  return found == std::end(kTexts) ? "unknown error" : found->second;
}

}  // namespace wsq
