#include "tools/synthetic_print.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <numbers>
#include <random>

// The ridge lines follow the classic core/delta orientation model: at z the
// ridge direction is half the angle of (z - core) / (z - delta). Ridge lines
// are then the level curves of Im G(z), where G'(z) = sqrt((z - delta) / (z - core));
// G has the closed form used below, so the pattern needs no iteration. The
// constant term and the ridge period are chosen so that cos(2 pi Im G / period)
// is continuous across the branch cuts of the square root and the logarithm.
namespace {

using Complex = std::complex<double>;

constexpr double kNominalRidgePeriod = 9.0;  // pixels, about 500 ppi

struct RidgeField {
  Complex core;
  Complex delta;
  double period;

  double phase(Complex z) const {
    const Complex u = z - core;
    const Complex e = delta - core;
    if (std::abs(u) < 1e-9) return 0.0;
    const Complex s = std::sqrt(1.0 - e / u);
    const Complex g = u * s - e * (0.5 * std::log(u) + std::log(1.0 + s)) + 0.5 * e * std::log(e);
    return g.imag() / period;
  }

  // Ridges per pixel at z: they crowd without bound towards the core, so
  // callers fade them out where they would alias.
  double frequency(Complex z) const {
    const Complex u = z - core;
    if (std::abs(u) < 1e-9) return 1.0;
    return std::sqrt(std::abs((u - (delta - core)) / u)) / period;
  }
};

RidgeField make_field(int width, int height) {
  RidgeField field{{0.52 * width, 0.38 * height}, {0.30 * width, 0.72 * height}, kNominalRidgePeriod};
  const double horizontal = std::abs((field.delta - field.core).real());
  const double cycles = std::max(1.0, std::round(std::numbers::pi * horizontal / kNominalRidgePeriod));
  if (horizontal > 0.0) field.period = std::numbers::pi * horizontal / cycles;
  return field;
}

// 1 inside the elliptical finger outline, 0 outside, with a soft edge.
double finger_mask(double x, double y, int width, int height) {
  const double dx = (x - 0.5 * width) / (0.42 * width);
  const double dy = (y - 0.52 * height) / (0.47 * height);
  const double r = std::sqrt(dx * dx + dy * dy);
  return std::clamp((1.0 - r) / 0.06, 0.0, 1.0);
}

}  // namespace

std::vector<uint8_t> make_synthetic_print(int width, int height, uint32_t seed) {
  if (width <= 0 || height <= 0) return {};
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  const RidgeField field = make_field(width, height);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Complex z{x + 0.5, y + 0.5};
      const double fade = std::clamp((0.3 - field.frequency(z)) / 0.1, 0.0, 1.0);
      const double ridge = 0.5 + 0.5 * fade * std::cos(2.0 * std::numbers::pi * field.phase(z));
      const double pressure = 0.75 + 0.25 * std::sin(0.9 * x / width + 1.7 * y / height);
      const double noise = static_cast<double>(random() % 25) - 12.0;
      const double print = 215.0 - 160.0 * ridge * pressure + noise;
      const double mask = finger_mask(x + 0.5, y + 0.5, width, height);
      const double value = 245.0 * (1.0 - mask) + print * mask;
      pixels[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
    }
  }
  return pixels;
}
