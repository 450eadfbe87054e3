#include "viewer/logic/load_limits.h"

#include "imagelib/image_record.h"
#include "viewer/logic/ini_file.h"

namespace {

constexpr const char* kLimitsSection = "Limits";

uint64_t read_limit(const IniFile& settings, const char* key, uint64_t fallback) {
  bool ok = false;
  const uint64_t value = settings.read_string(kLimitsSection, key, QString()).trimmed().toULongLong(&ok);
  return ok && value > 0 ? value : fallback;
}

}  // namespace

LoadLimits read_load_limits(const IniFile& settings) {
  return {read_limit(settings, "max_pixels", kDefaultMaxPixels),
          read_limit(settings, "max_file_size", kDefaultMaxFileSize)};
}

std::optional<QString> file_size_refusal(uint64_t file_size, const LoadLimits& limits) {
  if (file_size <= limits.max_file_size) return std::nullopt;
  return QStringLiteral("The file has %1 bytes, more than the limit max_file_size = %2 bytes.")
      .arg(file_size)
      .arg(limits.max_file_size);
}

std::optional<QString> pixel_refusal(uint64_t width, uint64_t height, const LoadLimits& limits) {
  const uint64_t pixels = width * height;
  if (pixels <= limits.max_pixels) return std::nullopt;
  return QStringLiteral("The image has %1 pixels, more than the limit max_pixels = %2.")
      .arg(pixels)
      .arg(limits.max_pixels);
}

QString library_pixel_refusal(const QString& library_message, const LoadLimits& limits) {
  return QStringLiteral("%1 (the limit is max_pixels = %2)").arg(library_message).arg(limits.max_pixels);
}
