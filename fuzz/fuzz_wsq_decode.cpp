// Fuzzes the whole WSQ decoder. A decoded image must have the size the
// outputs state.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "wsq/decoder.h"
#include "wsq/diagnostics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  ScopedDiagnostics quiet([](std::string_view) {});
  WsqDecoder decoder;
  // Large frames only cost time here; the limit itself is tested elsewhere.
  decoder.max_pixels = 1 << 20;
  std::vector<uint8_t> pixels;
  int32_t width = 0, height = 0, depth = 0, ppi = 0, lossy = 0;
  if (wsq_decode_mem(decoder, pixels, width, height, depth, ppi, lossy, data,
                     static_cast<int32_t>(size)) == 0) {
    if (pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) std::abort();
  }
  return 0;
}
