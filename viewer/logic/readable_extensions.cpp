#include "viewer/logic/readable_extensions.h"

#include <QSet>

#include "viewer/logic/format_table.h"

namespace {

// The extensions of the format table's rows: "/*.wsq" gives ".wsq".
QSet<QString> table_extensions() {
  QSet<QString> extensions;
  for (const FormatRow& row : FormatPatterns())
    if (row.pattern.size() > 2)
      extensions.insert(QString::fromLatin1(row.pattern.data() + 2, static_cast<qsizetype>(row.pattern.size() - 2)));
  return extensions;
}

}  // namespace

bool is_jpeg_extension(const QString& lower_extension) {
  return lower_extension == ".jpg" || lower_extension == ".jpeg" || lower_extension == ".jpe";
}

bool is_readable_extension(const QString& lower_extension) {
  static const QSet<QString> extensions = table_extensions();
  return extensions.contains(lower_extension);
}

bool is_registry_extension(const QString& lower_extension) {
  return is_readable_extension(lower_extension) && !is_jpeg_extension(lower_extension);
}
