#include "wsq/nistcom.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "wsq/codestream.h"
#include "wsq/diagnostics.h"

namespace {

constexpr char kNistcomTag[] = "NIST_COM";
constexpr size_t kNistcomTagLength = 8;

int32_t update_number(FET& fet, const char* name, int32_t value) {
  return updatefet_ret(name, std::to_string(value), fet);
}

int32_t set_common_entries(FET& fet, int32_t width, int32_t height, int32_t depth, int32_t ppi,
                           int32_t lossy) {
  if (int32_t ret = update_number(fet, "PIX_WIDTH", width)) return ret;
  if (int32_t ret = update_number(fet, "PIX_HEIGHT", height)) return ret;
  if (int32_t ret = update_number(fet, "PIX_DEPTH", depth)) return ret;
  if (int32_t ret = update_number(fet, "PPI", ppi)) return ret;
  std::optional<std::string> current;
  const int32_t found = lookupfet(current, "LOSSY", fet);
  if (found < 0) return found;
  if (found == 1 && current && *current != "0" && lossy == 0) {
    diag_write("WARNING : combine_nistcom : ");
    diag_write("request to unset lossy flag ignored\n");
  } else if (int32_t ret = update_number(fet, "LOSSY", lossy)) {
    return ret;
  }
  return update_number(fet, "NIST_COM", fet.count);
}

int32_t set_wsq_entries(FET& fet, float bitrate) {
  char rate[64];
  std::snprintf(rate, sizeof rate, "%f", static_cast<double>(bitrate));
  if (int32_t ret = updatefet_ret("COLORSPACE", "GRAY", fet)) return ret;
  if (int32_t ret = updatefet_ret("COMPRESSION", "WSQ", fet)) return ret;
  if (int32_t ret = updatefet_ret("WSQ_BITRATE", rate, fet)) return ret;
  return update_number(fet, "NIST_COM", fet.count);
}

bool starts_with_tag(const char* text) {
  return std::strncmp(text, kNistcomTag, kNistcomTagLength) == 0;
}

// Whether the COM segment whose body starts at `cursor` holds a NISTCOM text.
// A segment too short to hold the tag, or cut by the end of the buffer, does
// not.
bool is_nistcom_segment(const uint8_t* cursor, const uint8_t* end) {
  if (end - cursor < static_cast<std::ptrdiff_t>(2 + kNistcomTagLength)) return false;
  const int32_t length = (cursor[0] << 8) | cursor[1];
  if (length < static_cast<int32_t>(2 + kNistcomTagLength)) return false;
  return std::memcmp(cursor + 2, kNistcomTag, kNistcomTagLength) == 0;
}

}  // namespace

int32_t combine_nistcom(std::unique_ptr<FET>& fet, int32_t width, int32_t height, int32_t depth,
                        int32_t ppi, int32_t lossy) {
  const bool created = !fet;
  if (created) {
    if (int32_t ret = allocfet_ret(fet, 6)) return ret;
    if (int32_t ret = updatefet_ret("NIST_COM", "6", *fet)) {
      fet.reset();
      return ret;
    }
  }
  if (int32_t ret = set_common_entries(*fet, width, height, depth, ppi, lossy)) {
    if (created) fet.reset();
    return ret;
  }
  return 0;
}

int32_t add_wsq_nistcom(std::unique_ptr<FET>& fet, int32_t width, int32_t height,
                        int32_t depth, int32_t ppi, int32_t lossy, float bitrate) {
  const bool existed = static_cast<bool>(fet);
  if (int32_t ret = combine_nistcom(fet, width, height, depth, ppi, lossy)) return ret;
  if (int32_t ret = set_wsq_entries(*fet, bitrate)) {
    if (!existed) fet.reset();
    return ret;
  }
  return 0;
}

int32_t put_nistcom_segments(const char* comment, int32_t width, int32_t height, int32_t depth,
                             int32_t ppi, int32_t lossy, float bitrate, uint8_t* buffer,
                             int32_t capacity, int32_t& length) {
  const bool nistcom_text = comment != nullptr && starts_with_tag(comment);
  std::unique_ptr<FET> fet;
  if (nistcom_text) {
    if (int32_t ret = string2fet(fet, comment)) return ret;
  }
  if (int32_t ret = add_wsq_nistcom(fet, width, height, depth, ppi, lossy, bitrate)) return ret;
  std::string text;
  if (int32_t ret = fet2string(text, *fet)) return ret;
  fet.reset();
  if (int32_t ret = putc_comment_segment(kComMarker, text.data(),
                                         static_cast<int32_t>(text.size()), buffer, capacity,
                                         length)) {
    return ret;
  }
  if (comment == nullptr || nistcom_text) return 0;
  // Clamped: putc_comment_segment refuses anything longer than a segment.
  const size_t comment_length = std::min<size_t>(std::strlen(comment), INT32_MAX);
  return putc_comment_segment(kComMarker, comment, static_cast<int32_t>(comment_length), buffer,
                              capacity, length);
}

int32_t find_nistcom_comment(std::unique_ptr<FET>& fet, const uint8_t* codestream,
                             int32_t length) {
  const uint8_t* cursor = codestream;
  const uint8_t* end = codestream + (length > 0 ? length : 0);
  uint16_t marker = 0;
  if (int32_t ret = getc_marker_wsq(marker, MarkerSet::soi_only, cursor, end)) return ret;
  while (true) {
    if (int32_t ret = getc_marker_wsq(marker, MarkerSet::any, cursor, end)) return ret;
    if (marker == kSobMarker) {
      fet.reset();
      return 0;
    }
    if (marker == kComMarker && is_nistcom_segment(cursor, end)) {
      std::string text;
      if (int32_t ret = getc_comment(text, cursor, end)) return ret;
      return string2fet(fet, text);
    }
    if (int32_t ret = getc_skip_marker_segment(marker, cursor, end)) return ret;
  }
}
