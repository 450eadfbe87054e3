// The C interface: the C++ interface with malloc'd buffers.
#include <cstdlib>
#include <cstring>

#include "wsq/wsq.h"
#include "wsq/wsq_c.h"

namespace {

wsq::Options to_options(const wsq_c_options* options) {
  wsq::Options converted;
  if (options == nullptr) return converted;
  converted.max_pixels = options->max_pixels;
  converted.threads = options->threads;
  if (options->quiet) converted.messages = [](std::string_view) {};
  return converted;
}

// A malloc'd copy of the bytes (at least one byte, so that an empty copy is
// still a valid pointer), or null.
void* copy_out(const void* data, size_t size) {
  void* copy = std::malloc(size == 0 ? 1 : size);
  if (copy != nullptr && size != 0) std::memcpy(copy, data, size);
  return copy;
}

}  // namespace

extern "C" {

wsq_c_options wsq_c_default_options(void) {
  const wsq::Options defaults;
  return wsq_c_options{defaults.max_pixels, defaults.threads, 0};
}

int32_t wsq_c_decode(const uint8_t* data, size_t length, const wsq_c_options* options,
                     wsq_c_image* image) {
  if (image == nullptr || (data == nullptr && length != 0)) {
    return static_cast<int32_t>(wsq::Error::bad_argument);
  }
  wsq::Image decoded;
  const wsq::Error error = wsq::decode({data, length}, decoded, to_options(options));
  if (error != wsq::Error::ok) return static_cast<int32_t>(error);
  auto* pixels = static_cast<uint8_t*>(copy_out(decoded.pixels.data(), decoded.pixels.size()));
  char* comment = nullptr;
  if (!decoded.comments.empty()) {
    const std::string& last = decoded.comments.back();
    comment = static_cast<char*>(copy_out(last.c_str(), last.size() + 1));
  }
  if (pixels == nullptr || (!decoded.comments.empty() && comment == nullptr)) {
    std::free(pixels);
    std::free(comment);
    return static_cast<int32_t>(wsq::Error::no_memory_pixels);
  }
  *image = wsq_c_image{decoded.width, decoded.height, decoded.ppi, pixels, comment};
  return 0;
}

int32_t wsq_c_encode(const uint8_t* pixels, int32_t width, int32_t height, float bitrate,
                     int32_t ppi, const char* comment, const wsq_c_options* options,
                     uint8_t** codestream, size_t* length) {
  if (pixels == nullptr || codestream == nullptr || length == nullptr) {
    return static_cast<int32_t>(wsq::Error::bad_argument);
  }
  wsq::EncodeParams params;
  params.bitrate = bitrate;
  params.ppi = ppi;
  if (comment != nullptr) params.comment = comment;
  // Sides the codec refuses are reported by the codec.
  const size_t count =
      width > 0 && height > 0 ? static_cast<size_t>(width) * static_cast<size_t>(height) : 0;
  std::vector<uint8_t> encoded;
  const wsq::Error error =
      wsq::encode({pixels, count}, width, height, params, encoded, to_options(options));
  if (error != wsq::Error::ok) return static_cast<int32_t>(error);
  auto* copy = static_cast<uint8_t*>(copy_out(encoded.data(), encoded.size()));
  if (copy == nullptr) return static_cast<int32_t>(wsq::Error::no_memory_codestream);
  *codestream = copy;
  *length = encoded.size();
  return 0;
}

void wsq_c_free(void* buffer) { std::free(buffer); }

void wsq_c_free_image(wsq_c_image* image) {
  if (image == nullptr) return;
  std::free(image->pixels);
  std::free(image->comment);
  image->pixels = nullptr;
  image->comment = nullptr;
}

const char* wsq_c_error_text(int32_t code) { return wsq::error_text(static_cast<wsq::Error>(code)); }

}  // extern "C"
