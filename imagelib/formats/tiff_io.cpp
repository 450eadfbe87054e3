#include "imagelib/formats/tiff_io.h"

#include <cstdarg>
#include <cstdio>

#include "wsq/diagnostics.h"

namespace {

constexpr uint16_t kCompressionValues[kTiffCompressionKinds] = {
    COMPRESSION_NONE,     COMPRESSION_CCITTRLE,  COMPRESSION_CCITTFAX3,   COMPRESSION_CCITTFAX4,
    COMPRESSION_LZW,      COMPRESSION_OJPEG,     COMPRESSION_JPEG,        COMPRESSION_NEXT,
    COMPRESSION_CCITTRLEW, COMPRESSION_PACKBITS, COMPRESSION_THUNDERSCAN, COMPRESSION_PIXARFILM,
    COMPRESSION_PIXARLOG, COMPRESSION_DEFLATE,   COMPRESSION_DCS,         COMPRESSION_JBIG,
};

// libtiff's per-file message handler: one line per message to the
// diagnostics sink. Returning 1 stops libtiff from also printing it.
int send_to_diagnostics(TIFF*, void*, const char* module, const char* format, va_list arguments) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, arguments);
  if (module != nullptr) {
    diag_printf("%s: %s\n", module, text);
  } else {
    diag_printf("%s\n", text);
  }
  return 1;
}

}  // namespace

TiffHandle open_tiff(const std::string& path, const char* mode) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (options == nullptr) return nullptr;
  TIFFOpenOptionsSetErrorHandlerExtR(options, send_to_diagnostics, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, send_to_diagnostics, nullptr);
  TIFF* tiff = TIFFOpenExt(path.c_str(), mode, options);
  TIFFOpenOptionsFree(options);
  return TiffHandle(tiff);
}

uint16_t tiff_compression_value(int kind) { return kCompressionValues[kind]; }

int tiff_compression_kind(uint16_t value) {
  for (int kind = 0; kind < kTiffCompressionKinds; ++kind) {
    if (kCompressionValues[kind] == value) return kind;
  }
  return -1;
}
