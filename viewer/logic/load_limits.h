#pragma once
// The two limits every load obeys, kept in the settings file (section
// "Limits", keys "max_pixels" and "max_file_size"; the image library's
// defaults where a key is missing or not a positive number), and the texts
// of their refusals, which name the limit.
#include <QString>
#include <cstdint>
#include <optional>

class IniFile;

struct LoadLimits {
  uint64_t max_pixels;
  uint64_t max_file_size;
};

LoadLimits read_load_limits(const IniFile& settings);

// The refusal of a file of file_size bytes, or nothing when it is allowed.
std::optional<QString> file_size_refusal(uint64_t file_size, const LoadLimits& limits);
// The refusal of an image of width x height pixels, or nothing when it is allowed.
std::optional<QString> pixel_refusal(uint64_t width, uint64_t height, const LoadLimits& limits);
// The text of a refusal the image library made for a size over max_pixels.
QString library_pixel_refusal(const QString& library_message, const LoadLimits& limits);
