#include "viewer/logic/picture_properties.h"

#include <QFileInfo>

#include "viewer/logic/file_names.h"
#include "viewer/logic/format_table.h"

QString format_caption(const QString& file_name) {
  const QString extension = file_extension(file_name).toLower();
  if (extension.isEmpty()) return QString();
  const QString pattern = "/*" + extension;
  for (const FormatRow& row : FormatPatterns())
    if (QString::fromLatin1(row.pattern.data(), static_cast<qsizetype>(row.pattern.size())) == pattern)
      return QString::fromUtf8(row.caption.data(), static_cast<qsizetype>(row.caption.size()));
  return extension.mid(1).toUpper();
}

PropertyRows picture_property_rows(const PictureFacts& facts) {
  const bool pasted = facts.file_name.isEmpty();
  return {
      {"File name", pasted ? QStringLiteral("(pasted from the clipboard)") : facts.file_name},
      {"Format", pasted ? QStringLiteral("clipboard bitmap") : format_caption(facts.file_name)},
      {"Size", QStringLiteral("%1 x %2 pixels").arg(facts.width).arg(facts.height)},
      {"Depth", QStringLiteral("%1 bits per pixel").arg(facts.depth)},
      {"Resolution", facts.ppi > 0 ? QStringLiteral("%1 ppi").arg(facts.ppi) : QStringLiteral("not recorded")},
      {"File size", facts.file_size >= 0 ? QStringLiteral("%1 bytes").arg(facts.file_size) : QStringLiteral("no file")},
  };
}

QString rows_as_text(const PropertyRows& rows) {
  QString text;
  for (const auto& [name, value] : rows) text += name + '\t' + value + '\n';
  return text;
}
