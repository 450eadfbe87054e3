#pragma once
// NISTCOM records: the comment that states an image's attributes, built by
// the encoder and looked up by the decoder.
#include <cstdint>
#include <memory>

#include "wsq/fet.h"

// Sets PIX_WIDTH, PIX_HEIGHT, PIX_DEPTH, PPI and LOSSY (a set lossy flag is
// never cleared) and NIST_COM to the entry count. Creates the list when
// `fet` is none; a list created here is released again on failure.
int32_t combine_nistcom(std::unique_ptr<FET>& fet, int32_t width, int32_t height, int32_t depth,
                        int32_t ppi, int32_t lossy);

// combine_nistcom, then COLORSPACE GRAY, COMPRESSION WSQ and WSQ_BITRATE.
int32_t add_wsq_nistcom(std::unique_ptr<FET>& fet, int32_t width, int32_t height,
                        int32_t depth, int32_t ppi, int32_t lossy, float bitrate);

// Writes the NISTCOM COM segment, merging `comment` into it when it is a
// NISTCOM text; a plain `comment` follows in a second COM segment. `comment`
// may be null (no comment).
int32_t put_nistcom_segments(const char* comment, int32_t width, int32_t height, int32_t depth,
                             int32_t ppi, int32_t lossy, float bitrate, uint8_t* buffer,
                             int32_t capacity, int32_t& length);

// The first NISTCOM comment before the first block of a codestream, parsed;
// none (and success) when there is none.
int32_t find_nistcom_comment(std::unique_ptr<FET>& fet, const uint8_t* codestream,
                             int32_t length);
