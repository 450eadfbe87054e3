#pragma once
// The options of encode, write and convert, checked before any work is done.
#include <cstdint>
#include <optional>
#include <string>

#include "imagelib/image_record.h"

struct SaveOptions {
  double bitrate = 0.75;                 // WSQ: bits per pixel
  std::optional<int32_t> ppi;            // WSQ: resolution; -1 for none
  std::optional<std::string> comment;    // WSQ: NISTCOM text or plain comment
  int32_t quality = 100;                 // JPEG
};

// Fails with UnsupportedOption on a bitrate that is not a positive finite
// 32-bit float, a resolution below 1 other than -1, a comment holding a NUL
// (the codec would cut it short) or a quality outside 1..100.
void check_save_options(const SaveOptions& options);

// The side record the writer of filename's format takes, or null when its
// writer takes none. default_ppi is used when options name no resolution.
const ImageInfo* save_info(const std::string& filename, const SaveOptions& options, int32_t default_ppi,
                           ImageInfo& info);
