// Walking WSQ segments by their markers and lengths.
#include "cli/wsq_segments.h"

#include <cstring>

#include "wsq/codestream.h"

namespace {

const char* marker_name(uint16_t marker) {
  switch (marker) {
    case kSoiMarker: return "SOI";
    case kEoiMarker: return "EOI";
    case kSofMarker: return "SOF";
    case kSobMarker: return "SOB";
    case kDttMarker: return "DTT";
    case kDqtMarker: return "DQT";
    case kDhtMarker: return "DHT";
    case kComMarker: return "COM";
    default: return "unknown";
  }
}

uint16_t word_at(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

// The end of the entropy-coded bytes that start at `at`: the next 0xFF that
// is not followed by a stuffed 0x00.
size_t block_data_end(const std::vector<uint8_t>& bytes, size_t at) {
  while (at + 1 < bytes.size() && !(bytes[at] == 0xFF && bytes[at + 1] != 0x00)) ++at;
  return at + 1 < bytes.size() ? at : bytes.size();
}

}  // namespace

WsqLayout wsq_layout(const std::vector<uint8_t>& bytes) {
  WsqLayout layout;
  size_t at = 0;
  while (at + 2 <= bytes.size()) {
    const uint16_t marker = word_at(bytes, at);
    if ((marker >> 8) != 0xFF || (at == 0 && marker != kSoiMarker)) return layout;
    WsqSegment segment{marker_name(marker), at, 2};
    if (marker == kEoiMarker) {
      layout.segments.push_back(segment);
      layout.complete = true;
      return layout;
    }
    if (marker != kSoiMarker) {
      if (at + 4 > bytes.size()) return layout;
      const size_t body = word_at(bytes, at + 2);
      if (body < 2 || at + 2 + body > bytes.size()) return layout;
      segment.length = 2 + body;
      if (marker == kComMarker) {
        const char* text = reinterpret_cast<const char*>(bytes.data() + at + 4);
        layout.comments.emplace_back(text, strnlen(text, body - 2));
      }
    }
    layout.segments.push_back(segment);
    at += segment.length;
    if (marker == kSobMarker) {
      const size_t end = block_data_end(bytes, at);
      layout.segments.push_back({"block data", at, end - at});
      at = end;
    }
  }
  return layout;
}
