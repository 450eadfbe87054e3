#include "wsq/codestream_scaled.h"

float scaled_to_float(uint32_t value, uint8_t scale) {
  float result = static_cast<float>(value);
  for (int i = 0; i < scale; i++) result = static_cast<float>(result * 0.1);
  return result;
}

bool float_to_scaled(float magnitude, double limit, uint8_t& scale, uint32_t& value) {
  scale = 0;
  value = 0;
  if (magnitude == 0.0f) return true;
  // Also false for NaN and negative values, which would never leave the loop.
  if (!(magnitude > 0.0f && magnitude < limit)) return false;
  int s = 0;
  float m = magnitude;
  while (m < limit) {
    s++;
    m = static_cast<float>(m * 10.0f);
  }
  // Formed in extended precision, not rounded to float before the addition.
  const long double rounded = static_cast<long double>(m) * 0.1 + 0.5L;
  scale = static_cast<uint8_t>(s - 1);
  value = static_cast<uint32_t>(rounded);
  return true;
}
