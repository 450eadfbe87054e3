#include "options.h"

#include <cmath>

#include "failure.h"
#include "imagelib/extension.h"

void check_save_options(const SaveOptions& options) {
  const auto bitrate = static_cast<float>(options.bitrate);
  const bool bitrate_ok = std::isfinite(bitrate) && bitrate > 0.0f;
  const bool ppi_ok = !options.ppi || *options.ppi >= 1 || *options.ppi == -1;
  const bool comment_ok = !options.comment || options.comment->find('\0') == std::string::npos;
  const bool quality_ok = options.quality >= 1 && options.quality <= 100;
  if (!bitrate_ok || !ppi_ok || !comment_ok || !quality_ok) fail(UnsupportedOption);
}

const ImageInfo* save_info(const std::string& filename, const SaveOptions& options, int32_t default_ppi,
                           ImageInfo& info) {
  const std::optional<std::string> key = extension_key(filename);
  if (key == "WSQ") {
    info.bitrate = options.bitrate;
    info.ppi = options.ppi.value_or(default_ppi);
    info.comment = options.comment;
    return &info;
  }
  if (key == "JPG") {
    info.depth_or_quality = static_cast<uint32_t>(options.quality);
    return &info;
  }
  return nullptr;
}
