#pragma once
// The one image format table. Each readable format has one row: its caption
// in the converter's check list, its file-name pattern (folder browsing and
// the converter), its entry in the open dialog, who reads it, and the
// description it is registered under. The readable extensions, the picture
// registry's readers, the open dialog's filter and the browse list are all
// derived from it. Row 0 stands for all the other rows and has no pattern.
// The seven output formats have a table of their own, in the order of the
// save dialog's filter and the converter's output list.
#include <array>
#include <string_view>

// Who reads a format in the open flow.
enum class FormatReader {
  None,        // refused with a message naming the file
  ProgramWsq,  // the program's WSQ reader (fills the information line's record)
  ProgramTiff, // the program's TIFF reader (fills the TIFF save options)
  Program,     // the program's plain image library reader
  Jpeg,        // Qt's JPEG reader, called by the open flow directly
  LibraryBmp,  // one of the image library's readers, called directly
  LibraryTga,
  LibrarySgi,
  LibraryPcx,
  LibraryPsd,
  LibraryTiff,
  Qt,          // a Qt image reader
};

struct FormatRow {
  std::string_view caption;
  // A path separator followed by a wildcard pattern ("/*.wsq"), appended
  // directly to a directory path that has no trailing separator.
  std::string_view pattern;
  // The open dialog's entry: its description, its pattern, and its 1-based
  // place among the dialog's per-format entries (after "All images").
  std::string_view filter_description;
  std::string_view filter_pattern;
  int filter_position;
  FormatReader reader;
  // The registry description of the program's readers ("WSQFile"); empty for the others.
  std::string_view registry_description;
};

inline constexpr int FormatRowCount = 43;
inline constexpr int AllFormatsRow = 0;

const std::array<FormatRow, FormatRowCount>& FormatPatterns();

// A row's extension with its dot (".wsq"); empty for row 0.
std::string_view row_extension(const FormatRow& row);

struct SaveFormatRow {
  std::string_view filter_description;
  std::string_view filter_pattern;
  const char* extension;  // with its dot
};

inline constexpr int SaveFormatCount = 7;

const std::array<SaveFormatRow, SaveFormatCount>& SaveFormatRows();
