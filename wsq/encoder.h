#pragma once
// The WSQ encoder: an 8-bit grey image in memory to a complete codestream.
#include <cstdint>
#include <vector>

// Smallest width and height the wavelet decomposition can work on.
inline constexpr int32_t kMinEncodeSide = 65;

// An encoder context: the settings of the encodes made with it.
struct WsqEncoder {
  // Threads one encode may use, the caller's own included (values below 1
  // count as 1, values above kMaxCodecThreads as that). The codestream is
  // the same for every count.
  int32_t threads = 1;
};

// Encodes width x height grey `pixels` (top row first) at `bitrate` bits per
// pixel. `depth` and `ppi` are recorded in the NISTCOM comment only;
// `comment` (may be null) is a NISTCOM text to merge or a plain comment to
// carry in its own segment. On success stores the codestream and returns 0;
// on failure returns a negative code and leaves `codestream` untouched
// (-14: a side outside 65..65535; -15: a bitrate that is not a positive
// finite number).
// Writes the two statistics lines (and a line per uncoded subband) to the
// diagnostics sink.
int wsq_encode_1(WsqEncoder& encoder, std::vector<uint8_t>& codestream, float bitrate,
                 const uint8_t* pixels, int32_t width, int32_t height, int32_t depth, int32_t ppi,
                 const char* comment);

// The same with a default context (one thread).
int wsq_encode_1(std::vector<uint8_t>& codestream, float bitrate, const uint8_t* pixels,
                 int32_t width, int32_t height, int32_t depth, int32_t ppi, const char* comment);
