// Fuzzes the codestream segment readers and the NISTCOM text parser. The
// input is walked as a codestream: each marker's segment is handed to its
// reader, as the decoder and the comment scan do. Parsed NISTCOM texts must
// survive a write and parse again unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "wsq/codestream.h"
#include "wsq/diagnostics.h"
#include "wsq/fet.h"
#include "wsq/nistcom.h"

namespace {

void walk_segments(const uint8_t* data, const uint8_t* end) {
  TransformTable transform;
  QuantTable quant;
  HuffmanTableSet huffman;
  FrameHeader frame;
  const uint8_t* cursor = data;
  uint16_t marker = 0;
  while (getc_marker_wsq(marker, MarkerSet::any, cursor, end) == 0) {
    int32_t ret = 0;
    uint8_t table_id = 0;
    if (marker == kSofMarker) {
      ret = getc_frame_segment(frame, cursor, end);
    } else if (marker == kSobMarker) {
      ret = getc_block_segment(table_id, cursor, end);
    } else if (marker == kDttMarker || marker == kDqtMarker || marker == kDhtMarker ||
               marker == kComMarker) {
      ret = getc_table_wsq(marker, transform, quant, huffman, cursor, end);
    } else {
      ret = getc_skip_marker_segment(marker, cursor, end);
    }
    if (ret != 0) return;
    if (cursor > end) std::abort();
    if (transform.hi_defined && transform.hifilt.size() != transform.hisize) std::abort();
  }
}

void check_text_form(std::string_view text) {
  std::unique_ptr<FET> fet;
  if (string2fet(fet, text) != 0) return;
  std::string written;
  if (fet2string(written, *fet) != 0) std::abort();
  std::unique_ptr<FET> again;
  // Only lists whose values are all present write back the same entries.
  for (int32_t i = 0; i < fet->count; i++) {
    if (!fet->values[i]) return;
  }
  if (fet->count > 0 && (string2fet(again, written) != 0 || again->count != fet->count)) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  ScopedDiagnostics quiet([](std::string_view) {});
  walk_segments(data, data + size);
  std::unique_ptr<FET> nistcom;
  find_nistcom_comment(nistcom, data, static_cast<int32_t>(size));
  check_text_form(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
