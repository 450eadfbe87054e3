#pragma once
// What a conversion from one file to another does between loading the source
// and saving the target, shared by every converter so that they all write
// the same bytes: grey sources stay grey, the resolution travels (or is
// overridden) and a WSQ target gets a record its writer encodes faithfully.
#include <cstdint>
#include <optional>
#include <string>

#include "imagelib/image_record.h"

// The caller's settings of one conversion.
struct ConversionSettings {
  double bitrate = 0.75;               // WSQ target, bits per pixel
  std::optional<int32_t> ppi;          // replaces the source's resolution; -1 records none
  std::optional<std::string> comment;  // WSQ target
};

// The WSQ resolution of a source that records none (a WSQ source without
// one keeps none).
inline constexpr int32_t kDefaultWsqPpi = 500;

// Widens a record of fewer than 8 bits for a JPEG target (its writer takes
// none), narrows a grey source to 8 bits, applies the settings' resolution
// and, for a WSQ target, prepares the record for the WSQ writer. Returns the
// library's code.
ImageLibraryError prepare_for_target(ImageRecord& image, const std::string& target,
                                     const ConversionSettings& settings);

// The side record to save the prepared image as target with: the WSQ
// settings for a WSQ target (into info), none for any other format.
const ImageInfo* target_info(const std::string& source, const std::string& target, const ImageRecord& image,
                             const ConversionSettings& settings, ImageInfo& info);
