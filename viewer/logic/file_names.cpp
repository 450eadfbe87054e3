#include "viewer/logic/file_names.h"

static qsizetype extension_start(const QString& name) {
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
  return dot > slash ? dot : -1;
}

QString file_extension(const QString& name) {
  const qsizetype start = extension_start(name);
  return start < 0 ? QString() : name.mid(start);
}

QString directory_part(const QString& name) { return name.left(name.lastIndexOf(QLatin1Char('/')) + 1); }

QString replace_extension(const QString& name, const QString& extension) {
  const qsizetype start = extension_start(name);
  return (start < 0 ? name : name.left(start)) + extension;
}

QString settings_file_path(const QString& program_path) { return replace_extension(program_path, ".ini"); }
