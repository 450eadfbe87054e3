#include "viewer/logic/ini_file.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>
#include <optional>

static QStringList read_lines(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
  QStringList lines;
  QTextStream stream(&file);
  while (!stream.atEnd()) lines << stream.readLine();
  return lines;
}

static std::optional<QString> section_name(const QString& line) {
  const QString trimmed = line.trimmed();
  if (!trimmed.startsWith('[') || !trimmed.endsWith(']')) return std::nullopt;
  return trimmed.mid(1, trimmed.size() - 2).trimmed();
}

static bool same_name(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

static bool is_key_line(const QString& line, const QString& key) {
  const qsizetype equals = line.indexOf('=');
  return equals > 0 && same_name(line.left(equals).trimmed(), key);
}

// Line positions of a section: its header and the end of its body.
struct SectionSpan {
  qsizetype header = -1;
  qsizetype end = -1;
};

static SectionSpan find_section(const QStringList& lines, const QString& section) {
  SectionSpan span;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const auto name = section_name(lines[i]);
    if (!name) continue;
    if (span.header >= 0) {
      span.end = i;
      return span;
    }
    if (same_name(*name, section)) span.header = i;
  }
  if (span.header >= 0) span.end = lines.size();
  return span;
}

QString IniFile::read_string(const QString& section, const QString& key, const QString& fallback) const {
  const QStringList lines = read_lines(path_);
  const SectionSpan span = find_section(lines, section);
  for (qsizetype i = span.header + 1; span.header >= 0 && i < span.end; ++i) {
    if (is_key_line(lines[i], key)) return lines[i].mid(lines[i].indexOf('=') + 1);
  }
  return fallback;
}

bool IniFile::read_bool(const QString& section, const QString& key, bool fallback) const {
  bool ok = false;
  const int value = read_string(section, key, QString()).trimmed().toInt(&ok);
  return ok ? value != 0 : fallback;
}

static void set_value(QStringList& lines, const QString& section, const QString& key, const QString& value) {
  const QString line = key + '=' + value;
  const SectionSpan span = find_section(lines, section);
  if (span.header < 0) {
    lines << '[' + section + ']' << line;
    return;
  }
  for (qsizetype i = span.header + 1; i < span.end; ++i) {
    if (is_key_line(lines[i], key)) {
      lines[i] = line;
      return;
    }
  }
  qsizetype insert_at = span.end;
  while (insert_at > span.header + 1 && lines[insert_at - 1].trimmed().isEmpty()) --insert_at;
  lines.insert(insert_at, line);
}

bool IniFile::write_string(const QString& section, const QString& key, const QString& value) const {
  QStringList lines = read_lines(path_);
  set_value(lines, section, key, value);
  QSaveFile file(path_);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
  QTextStream stream(&file);
  for (const QString& line : lines) stream << line << '\n';
  stream.flush();
  return file.commit();
}

bool IniFile::write_bool(const QString& section, const QString& key, bool value) const {
  return write_string(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}
