// Public decoding and NISTCOM reading around the codec's entry points.
#include <climits>
#include <memory>
#include <new>

#include "wsq/api/comments.h"
#include "wsq/api/messages.h"
#include "wsq/api/threads.h"
#include "wsq/decoder.h"
#include "wsq/nistcom.h"
#include "wsq/wsq.h"

namespace wsq {
namespace {

// The codec counts bytes in signed 32-bit integers.
bool fits_codec(std::span<const uint8_t> codestream) {
  return codestream.size() <= static_cast<size_t>(INT32_MAX);
}

Error decode_checked(std::span<const uint8_t> codestream, Image& image, const Options& options) {
  // The decoder context is large; it lives on the heap, one per call.
  auto decoder = std::make_unique<WsqDecoder>();
  decoder->max_pixels = options.max_pixels;
  decoder->threads = codec_threads(options);
  const auto length = static_cast<int32_t>(codestream.size());
  Image decoded;
  int32_t depth = 0, lossy = 0;
  if (const int32_t ret = wsq_decode_mem(*decoder, decoded.pixels, decoded.width, decoded.height,
                                         depth, decoded.ppi, lossy, codestream.data(), length)) {
    return static_cast<Error>(ret);
  }
  decoded.comments = comments_before_blocks(codestream.data(), length);
  image = std::move(decoded);
  return Error::ok;
}

}  // namespace

Error decode(std::span<const uint8_t> codestream, Image& image, const Options& options) {
  if (!fits_codec(codestream)) return Error::input_too_large;
  const CallMessages messages(options);
  try {
    return decode_checked(codestream, image, options);
  } catch (const std::bad_alloc&) {
    return Error::no_memory_pixels;
  }
}

Error read_nistcom(std::span<const uint8_t> codestream, std::vector<Field>& fields,
                   const Options& options) {
  if (!fits_codec(codestream)) return Error::input_too_large;
  const CallMessages messages(options);
  try {
    std::unique_ptr<FET> nistcom;
    if (const int32_t ret = find_nistcom_comment(nistcom, codestream.data(),
                                                 static_cast<int32_t>(codestream.size()))) {
      return static_cast<Error>(ret);
    }
    std::vector<Field> found;
    for (int32_t i = 0; nistcom && i < nistcom->count; ++i) {
      found.push_back({nistcom->names[i], nistcom->values[i]});
    }
    fields = std::move(found);
    return Error::ok;
  } catch (const std::bad_alloc&) {
    return Error::no_memory_list;
  }
}

}  // namespace wsq
