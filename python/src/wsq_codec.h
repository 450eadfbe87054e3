#pragma once
// WSQ codestreams in memory, each call with its own decoder context so that
// calls on separate threads never share state. Failures throw Failure; the
// library's diagnostic texts are collected, not printed. Nothing here
// touches Python, so callers run it without the interpreter lock.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "codestream_header.h"
#include "options.h"
#include "records.h"

struct DecodedWsq {
  std::vector<uint8_t> pixels;  // width x height grey bytes, top row first
  CodestreamHeader header;
};

// path, when given, names the file in a failure.
DecodedWsq decode_wsq(const uint8_t* codestream, size_t length, const std::optional<std::string>& path);
CodestreamHeader read_wsq_header(const uint8_t* codestream, size_t length);

// Encodes one-channel pixels at the options' bitrate, resolution (500 when
// none is named) and comment. Pixels that are not rows packed first row
// first are packed into one copy, after their size has been checked.
std::vector<uint8_t> encode_wsq(const StridedPixels& pixels, const SaveOptions& options);
