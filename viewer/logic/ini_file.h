#pragma once
// A small initialisation file: "[Section]" lines followed by "key=value"
// lines. Every read opens the file afresh and every write rewrites it,
// keeping the other sections and keys as they were. Booleans are written as
// 1 or 0; section and key names are compared without regard to letter case.
#include <QString>

class IniFile {
 public:
  explicit IniFile(QString path) : path_(std::move(path)) {}

  const QString& path() const { return path_; }

  QString read_string(const QString& section, const QString& key, const QString& fallback) const;
  // Any integer other than 0 reads as true; a missing file, section or key,
  // or a value that is not an integer, reads as fallback.
  bool read_bool(const QString& section, const QString& key, bool fallback) const;

  // False when the file cannot be written; an existing file is then left as it was.
  bool write_string(const QString& section, const QString& key, const QString& value) const;
  bool write_bool(const QString& section, const QString& key, bool value) const;

 private:
  QString path_;
};
