#pragma once
// WSQ files through the WSQ codec, and whole-file raw I/O.
#include <cstdint>
#include <string>
#include <vector>

#include "imagelib/image_record.h"

// Reads the whole file into buffer and its size into length. 0 on success;
// -1 when the file's length cannot be determined (missing, not a regular
// file); -2 when it cannot be opened; -3 when it cannot be held in memory;
// -4 when fewer bytes were read than its length. Failures from -2 on write
// their message to the diagnostics sink. Does not touch the last error.
int32_t read_raw_from_filesize(const std::string& filename, std::vector<uint8_t>& buffer, int32_t& length);

// Writes length bytes of data to the file, replacing it only when all were
// written. 0 on success; -2 when the file cannot be created; -3 when fewer
// bytes were written. Failures write their message to the diagnostics sink.
// Does not touch the last error.
int32_t write_raw_from_memsize(const std::string& filename, const uint8_t* data, int32_t length);

// Loads a WSQ file as a 24-bit grey record (rows packed whatever pad_rows
// says). info, when given, receives the depth, the resolution (-1 when none)
// and the text of the last comment segment before the first block.
ImageLibraryError read_wsq(const std::string& filename, ImageRecord& image, ImageInfo* info);

// Saves an 8-bit or 24-bit record as WSQ at info's bitrate, resolution and
// comment; without info at 0.75 bits per pixel, no resolution, no comment.
ImageLibraryError write_wsq(const std::string& filename, const ImageRecord& image, const ImageInfo* info);

// What write_wsq uses when it is given no ImageInfo.
inline constexpr double kDefaultWsqBitrate = 0.75;
