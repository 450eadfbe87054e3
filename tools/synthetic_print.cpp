// UNFINISHED-STUB: the lead replaces this with the real generator shortly.
#include "tools/synthetic_print.h"
#include <cstddef>
std::vector<uint8_t> make_synthetic_print(int width, int height, uint32_t seed) {
  std::vector<uint8_t> out(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<uint8_t>((i * 7 + seed) % 256);
  return out;
}
