#include "viewer/logic/readable_extensions.h"

#include <QHash>

#include "viewer/logic/format_table.h"

namespace {

// Who reads each extension of the format table.
const QHash<QString, FormatReader>& readers_by_extension() {
  static const QHash<QString, FormatReader> readers = [] {
    QHash<QString, FormatReader> table;
    for (const FormatRow& row : FormatPatterns()) {
      const std::string_view extension = row_extension(row);
      if (!extension.empty())
        table.insert(QString::fromLatin1(extension.data(), static_cast<qsizetype>(extension.size())), row.reader);
    }
    return table;
  }();
  return readers;
}

}  // namespace

bool is_readable_extension(const QString& lower_extension) { return readers_by_extension().contains(lower_extension); }

bool is_jpeg_extension(const QString& lower_extension) {
  return readers_by_extension().value(lower_extension, FormatReader::None) == FormatReader::Jpeg;
}

bool is_registry_extension(const QString& lower_extension) {
  return is_readable_extension(lower_extension) && !is_jpeg_extension(lower_extension);
}
