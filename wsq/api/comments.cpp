#include "wsq/api/comments.h"

#include <cstring>

#include "wsq/codestream.h"
#include "wsq/diagnostics.h"

namespace wsq {

std::vector<std::string> comments_before_blocks(const uint8_t* codestream, int32_t length) {
  // The codestream was decoded already: a failure here has been reported.
  const ScopedDiagnostics silent([](std::string_view) {});
  const uint8_t* cursor = codestream;
  const uint8_t* end = codestream + length;
  std::vector<std::string> comments;
  uint16_t marker = 0;
  if (getc_marker_wsq(marker, MarkerSet::soi_only, cursor, end) != 0) return comments;
  if (getc_marker_wsq(marker, MarkerSet::any, cursor, end) != 0) return comments;
  while (marker != kSobMarker) {
    if (marker == kComMarker) {
      std::string text;
      if (getc_comment(text, cursor, end) != 0) break;
      text.resize(std::strlen(text.c_str()));
      comments.push_back(std::move(text));
    } else if (getc_skip_marker_segment(marker, cursor, end) != 0) {
      break;
    }
    if (getc_marker_wsq(marker, MarkerSet::any, cursor, end) != 0) break;
  }
  return comments;
}

}  // namespace wsq
