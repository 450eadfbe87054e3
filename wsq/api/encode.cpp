// Public encoding around the codec's entry point.
#include <climits>
#include <new>

#include "wsq/api/messages.h"
#include "wsq/api/threads.h"
#include "wsq/encoder.h"
#include "wsq/wsq.h"

namespace wsq {

Error encode(std::span<const uint8_t> pixels, int32_t width, int32_t height,
             const EncodeParams& params, std::vector<uint8_t>& codestream,
             const Options& options) {
  // Sides the codec refuses are reported by the codec itself; only a valid
  // size is compared with the buffer and the limit.
  if (width > 0 && height > 0) {
    const uint64_t count = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    if (count > options.max_pixels) return Error::too_many_pixels;
    if (pixels.size() < count) return Error::bad_argument;
  }
  const CallMessages messages(options);
  const char* comment = params.comment.empty() ? nullptr : params.comment.c_str();
  try {
    WsqEncoder encoder{codec_threads(options)};
    std::vector<uint8_t> encoded;
    if (const int32_t ret = wsq_encode_1(encoder, encoded, params.bitrate, pixels.data(), width,
                                         height, params.depth, params.ppi, comment)) {
      return static_cast<Error>(ret);
    }
    codestream = std::move(encoded);
    return Error::ok;
  } catch (const std::bad_alloc&) {
    return Error::no_memory_codestream;
  }
}

}  // namespace wsq
