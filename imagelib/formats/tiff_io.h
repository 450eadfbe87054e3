#pragma once
// What the TIFF reader and writer share: opening files with libtiff's
// messages sent to the diagnostics sink, and the library's compression kinds.
#include <tiffio.h>

#include <cstdint>
#include <memory>
#include <string>

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// Opens path with mode "r" or "w"; null when libtiff cannot. libtiff's
// errors and warnings about this file go to the diagnostics sink.
TiffHandle open_tiff(const std::string& path, const char* mode);

// Number of compression kinds (0 to 15) the library knows.
inline constexpr int kTiffCompressionKinds = 16;

// The TIFF Compression value of a kind below kTiffCompressionKinds.
uint16_t tiff_compression_value(int kind);

// The kind of a TIFF Compression value, or -1 when the library has none.
int tiff_compression_kind(uint16_t value);
