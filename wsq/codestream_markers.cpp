#include "wsq/byte_stream.h"
#include "wsq/codestream.h"
#include "wsq/diagnostics.h"

namespace {

bool is_table_marker(uint16_t marker) {
  return marker == kDttMarker || marker == kDqtMarker || marker == kDhtMarker ||
         marker == kComMarker;
}

}  // namespace

int32_t getc_marker_wsq(uint16_t& marker, MarkerSet expected, const uint8_t*& cursor,
                        const uint8_t* end) {
  uint16_t word = 0;
  if (int32_t ret = getc_word16(word, cursor, end)) return ret;
  switch (expected) {
    case MarkerSet::soi_only:
      if (word != kSoiMarker) {
        diag_printf("ERROR : getc_marker_wsq : No SOI marker. {%u}\n", word);
        return -88;
      }
      break;
    case MarkerSet::tables_or_sof:
      if (!is_table_marker(word) && word != kSofMarker) {
        diag_write("ERROR : getc_marker_wsq : No SOF, Table, or comment markers.\n");
        return -89;
      }
      break;
    case MarkerSet::tables_or_sob:
      if (!is_table_marker(word) && word != kSobMarker) {
        diag_write("ERROR : getc_marker_wsq : No SOB, Table, or comment markers.\n");
        return -90;
      }
      break;
    case MarkerSet::any:
      if ((word & 0xFF00) != 0xFF00) {
        diag_printf("ERROR : getc_marker_wsq : no marker found {%04X}\n", word);
        return -91;
      }
      break;
  }
  marker = word;
  return 0;
}
