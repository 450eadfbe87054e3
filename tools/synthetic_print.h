#pragma once
// Synthetic fingerprint-like grey images: ridges flowing around a core and a
// delta inside an elliptical finger outline, with a little noise. Made by our
// own code, so the project carries no real biometric data.
#include <cstdint>
#include <vector>

// width x height grey levels, top row first. The same seed gives the same image.
std::vector<uint8_t> make_synthetic_print(int width, int height, uint32_t seed = 1);
