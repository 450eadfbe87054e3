#include "viewer/pictures/save_formats.h"

#include "viewer/logic/file_names.h"
#include "viewer/logic/format_table.h"

QString save_format_extension(int filter_index) {
  if (filter_index < SaveWsq || filter_index > SaveSgiRgb) return QString();
  return QString::fromLatin1(SaveFormatRows()[static_cast<size_t>(filter_index - 1)].extension);
}

QString OutputName(const QString& file_name, int filter_index) {
  return replace_extension(file_name, save_format_extension(filter_index));
}

QString proposed_save_name(const QString& current_file, int filter_index) {
  return current_file.isEmpty() ? QString() : OutputName(current_file, filter_index);
}
