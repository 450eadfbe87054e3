#include "viewer/pictures/wsq_comments.h"

#include <cstring>
#include <memory>
#include <string>

#include "wsq/codestream.h"
#include "wsq/diagnostics.h"
#include "wsq/fet.h"

namespace {

constexpr const char kNistcomTag[] = "NIST_COM";

void add_comment(WsqComments& comments, const std::string& text) {
  const bool nistcom = text.compare(0, std::strlen(kNistcomTag), kNistcomTag) == 0;
  std::unique_ptr<FET> fet;
  if (nistcom && comments.nistcom_fields.empty() && string2fet(fet, text) == 0 && fet) {
    for (int32_t i = 0; i < fet->count; ++i) {
      const auto& value = fet->values[static_cast<size_t>(i)];
      comments.nistcom_fields.emplace_back(fet->names[static_cast<size_t>(i)], value.value_or(std::string()));
    }
    return;
  }
  comments.other_texts.push_back(text);
}

}  // namespace

WsqComments wsq_comments(const std::vector<uint8_t>& codestream) {
  // Listing comments is no decode: a damaged segment ends the list quietly,
  // without the codec's messages.
  const ScopedDiagnostics quiet([](std::string_view) {});
  WsqComments comments;
  if (codestream.empty()) return comments;
  const uint8_t* cursor = codestream.data();
  const uint8_t* end = cursor + codestream.size();
  uint16_t marker = 0;
  if (getc_marker_wsq(marker, MarkerSet::soi_only, cursor, end) != 0) return comments;
  if (getc_marker_wsq(marker, MarkerSet::any, cursor, end) != 0) return comments;
  while (marker != kSobMarker) {
    if (marker == kComMarker) {
      std::string text;
      if (getc_comment(text, cursor, end) != 0) break;
      // A comment is a NUL-terminated text: it ends at its first NUL.
      text.resize(std::strlen(text.c_str()));
      add_comment(comments, text);
    } else if (getc_skip_marker_segment(marker, cursor, end) != 0) {
      break;
    }
    if (getc_marker_wsq(marker, MarkerSet::any, cursor, end) != 0) break;
  }
  return comments;
}
