// Resolution units: inches, metres and centimetres, rounded to whole pixels.
#include "imagelib/formats/resolution.h"

#include <cmath>

namespace {

// Far above any scanner; keeps conversions inside the formats' fields.
constexpr double kMaxPpi = 100000;

}  // namespace

uint32_t ppi_to_per_metre(int32_t ppi) {
  if (ppi <= 0 || ppi > kMaxPpi) return 0;
  return static_cast<uint32_t>(std::lround(ppi / 0.0254));
}

int32_t per_metre_to_ppi(uint64_t per_metre) { return density_to_ppi(static_cast<double>(per_metre) / 100, 2); }

int32_t density_to_ppi(double density, int unit) {
  if (unit == 2) density *= 2.54;
  if (unit != 1 && unit != 2) return -1;
  if (!(density >= 0.5) || density > kMaxPpi) return -1;
  return static_cast<int32_t>(std::lround(density));
}
