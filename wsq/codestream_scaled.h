#pragma once
// Real numbers in the codestream are stored as a scale s and an unsigned
// integer v meaning v * 10^-s.
#include <cstdint>

// Largest stored magnitude of a transform coefficient and of other values.
inline constexpr double kScaledLimit32 = 4294967295.0;
inline constexpr double kScaledLimit16 = 65535.0;

// v * 10^-s, dividing by ten s times in single precision.
float scaled_to_float(uint32_t value, uint8_t scale);

// Scale and value of magnitude m for limit L: the largest s for which m * 10^s
// stays below L (multiplying by ten in single precision), and m * 10^s
// rounded. Returns false, leaving scale and value 0, when m is not a finite
// number in [0, L).
bool float_to_scaled(float magnitude, double limit, uint8_t& scale, uint32_t& value);
