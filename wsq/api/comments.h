#pragma once
// The comment segments of a codestream.
#include <cstdint>
#include <string>
#include <vector>

namespace wsq {

// The texts (each up to its first NUL) of the comment segments before the
// first block, in order. Stops quietly at the first segment it cannot read.
std::vector<std::string> comments_before_blocks(const uint8_t* codestream, int32_t length);

}  // namespace wsq
