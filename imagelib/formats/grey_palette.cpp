#include "imagelib/formats/grey_palette.h"

namespace {

// The number of palette entries actually present and addressable by the
// record's indices.
uint32_t usable_entries(const ImageRecord& image) {
  if (image.bits_per_pixel == 0 || image.bits_per_pixel > 8 || image.palette_entry_size < 3) return 0;
  const size_t present = image.palette.size() / image.palette_entry_size;
  const uint32_t addressable = 1u << image.bits_per_pixel;
  uint32_t count = image.palette_count;
  if (count > present) count = static_cast<uint32_t>(present);
  return count < addressable ? count : addressable;
}

bool entry_is_grey(const ImageRecord& image, uint32_t index, uint8_t level) {
  const uint8_t* entry = image.palette.data() + static_cast<size_t>(index) * image.palette_entry_size;
  return entry[0] == level && entry[1] == level && entry[2] == level;
}

}  // namespace

uint8_t grey_ramp_level(uint32_t index, uint8_t bits) {
  const uint32_t max = (1u << bits) - 1;
  return static_cast<uint8_t>(index * 255 / max);
}

uint8_t palette_grey_level(const ImageRecord& image, uint32_t index) {
  return image.palette[static_cast<size_t>(index) * image.palette_entry_size];
}

bool palette_is_grey(const ImageRecord& image) {
  const uint32_t count = usable_entries(image);
  if (count == 0) return false;
  for (uint32_t i = 0; i < count; ++i) {
    if (!entry_is_grey(image, i, palette_grey_level(image, i))) return false;
  }
  return true;
}

bool palette_is_grey_ramp(const ImageRecord& image) {
  const uint32_t count = usable_entries(image);
  if (count == 0) return false;
  for (uint32_t i = 0; i < count; ++i) {
    if (!entry_is_grey(image, i, grey_ramp_level(i, image.bits_per_pixel))) return false;
  }
  return true;
}

bool palette_is_reverse_grey_ramp(const ImageRecord& image) {
  const uint32_t count = usable_entries(image);
  if (count == 0) return false;
  for (uint32_t i = 0; i < count; ++i) {
    if (!entry_is_grey(image, i, static_cast<uint8_t>(255 - grey_ramp_level(i, image.bits_per_pixel)))) return false;
  }
  return true;
}
