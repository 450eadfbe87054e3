#include "wsq_codec.h"

#include <climits>
#include <memory>

#include "failure.h"
#include "wsq/decoder.h"
#include "wsq/diagnostics.h"
#include "wsq/encoder.h"

namespace {

// The frame header holds 16-bit sizes.
constexpr size_t kMaxSide = 65535;
constexpr int32_t kDefaultPpi = 500;
constexpr int32_t kDepth = 8;

}  // namespace

DecodedWsq decode_wsq(const uint8_t* codestream, size_t length, const std::optional<std::string>& path) {
  CapturedDiagnostics diagnostics;
  if (length > INT32_MAX) fail(BadImageSize, path);
  auto decoder = std::make_unique<WsqDecoder>();
  DecodedWsq decoded;
  int32_t width = 0, height = 0, depth = 0, ppi = 0, lossy = 0;
  if (wsq_decode_mem(*decoder, decoded.pixels, width, height, depth, ppi, lossy, codestream,
                     static_cast<int32_t>(length)) != 0) {
    // A frame the decoder refused for its size is reported as such.
    const uint64_t pixels = uint64_t{decoder->frame.width} * decoder->frame.height;
    fail(pixels > decoder->max_pixels ? BadImageSize : CorruptData, path, diagnostics.text());
  }
  if (!read_codestream_header(codestream, length, decoded.header) || decoded.header.width != width ||
      decoded.header.height != height) {
    fail(CorruptData, path, diagnostics.text());
  }
  decoded.header.ppi = ppi;
  return decoded;
}

CodestreamHeader read_wsq_header(const uint8_t* codestream, size_t length) {
  CapturedDiagnostics diagnostics;
  CodestreamHeader header;
  if (!read_codestream_header(codestream, length, header)) fail(CorruptData, std::nullopt, diagnostics.text());
  return header;
}

std::vector<uint8_t> encode_wsq(const StridedPixels& pixels, const SaveOptions& options) {
  check_save_options(options);
  const size_t width = pixels.width;
  const size_t height = pixels.height;
  if (width < kMinEncodeSide || height < kMinEncodeSide || width > kMaxSide || height > kMaxSide) {
    fail(BadImageSize);
  }
  const bool packed = pixels.column_step == 1 && pixels.row_step == static_cast<ptrdiff_t>(width);
  std::vector<uint8_t> copy;
  if (!packed) {
    copy.resize(width * height);
    pack_grey(pixels, copy.data());
  }
  CapturedDiagnostics diagnostics;
  const char* comment = options.comment ? options.comment->c_str() : nullptr;
  std::vector<uint8_t> codestream;
  if (wsq_encode_1(codestream, static_cast<float>(options.bitrate), packed ? pixels.data : copy.data(),
                   static_cast<int32_t>(width), static_cast<int32_t>(height), kDepth,
                   options.ppi.value_or(kDefaultPpi), comment) != 0) {
    fail(CorruptFile, std::nullopt, diagnostics.text());
  }
  return codestream;
}
