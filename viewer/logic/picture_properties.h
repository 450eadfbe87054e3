#pragma once
// The general rows of the image properties: file name, format, size, depth,
// resolution and file size, as name/value texts.
#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

struct PictureFacts {
  QString file_name;      // empty for a pasted picture
  int32_t width = 0;
  int32_t height = 0;
  int32_t depth = 0;      // bits per pixel as read
  int32_t ppi = -1;       // -1 when not recorded
  int64_t file_size = -1; // -1 when there is no file
};

using PropertyRows = std::vector<std::pair<QString, QString>>;

PropertyRows picture_property_rows(const PictureFacts& facts);

// The caption of the format table row for a file's extension, or the
// extension itself in capitals when no row has it.
QString format_caption(const QString& file_name);

// Rows as lines of "name<TAB>value", for the clipboard.
QString rows_as_text(const PropertyRows& rows);
