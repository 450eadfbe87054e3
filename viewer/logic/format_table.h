#pragma once
// The image format table shared by folder browsing and the batch converter:
// one caption and one file-name pattern per readable format. Row 0 stands for
// all the other rows and has no pattern of its own.
#include <array>
#include <string_view>

struct FormatRow {
  std::string_view caption;
  // A path separator followed by a wildcard pattern ("/*.wsq"), appended
  // directly to a directory path that has no trailing separator.
  std::string_view pattern;
};

inline constexpr int FormatRowCount = 43;
inline constexpr int AllFormatsRow = 0;

const std::array<FormatRow, FormatRowCount>& FormatPatterns();
