#include "codestream_header.h"

#include <climits>
#include <cstring>
#include <memory>

#include "wsq/codestream.h"
#include "wsq/decoder.h"
#include "wsq/fet.h"

namespace {

constexpr char kNistcomTag[] = "NIST_COM";

void add_comment(std::string text, CodestreamHeader& header) {
  // A comment is a NUL-terminated text: it ends at its first NUL.
  text.resize(std::strlen(text.c_str()));
  const bool nistcom = text.compare(0, sizeof kNistcomTag - 1, kNistcomTag) == 0;
  std::unique_ptr<FET> fet;
  if (!nistcom || !header.nistcom.empty() || string2fet(fet, text) != 0) {
    header.comments.push_back(std::move(text));
    return;
  }
  for (int32_t i = 0; i < fet->count; ++i) header.nistcom.emplace_back(fet->names[i], fet->values[i]);
}

}  // namespace

bool read_codestream_header(const uint8_t* codestream, size_t length, CodestreamHeader& header) {
  if (length > INT32_MAX) return false;
  const uint8_t* cursor = codestream;
  const uint8_t* end = codestream + length;
  uint16_t marker = 0;
  if (getc_marker_wsq(marker, MarkerSet::soi_only, cursor, end) != 0) return false;
  if (getc_marker_wsq(marker, MarkerSet::any, cursor, end) != 0) return false;
  bool have_frame = false;
  while (marker != kSobMarker) {
    if (marker == kComMarker) {
      std::string text;
      if (getc_comment(text, cursor, end) != 0) return false;
      add_comment(std::move(text), header);
    } else if (marker == kSofMarker) {
      FrameHeader frame;
      if (getc_frame_segment(frame, cursor, end) != 0) return false;
      header.width = frame.width;
      header.height = frame.height;
      have_frame = true;
    } else if (getc_skip_marker_segment(marker, cursor, end) != 0) {
      return false;
    }
    // Each step consumes at least the marker, so the walk ends.
    if (getc_marker_wsq(marker, MarkerSet::any, cursor, end) != 0) return false;
  }
  int32_t ppi = -1;
  if (lookup_nistcom_ppi(ppi, codestream, static_cast<int32_t>(length)) == 0) header.ppi = ppi;
  return have_frame;
}
