#include "viewer/logic/recent_files.h"

#include <QFileInfo>

#include "viewer/logic/ini_file.h"

namespace {

constexpr const char* kRecentSection = "Recent";

QString key_of(int position) { return QStringLiteral("file%1").arg(position + 1); }

}  // namespace

QStringList with_recent(const QStringList& list, const QString& file) {
  QStringList result{file};
  for (const QString& entry : list)
    if (entry != file && result.size() < kRecentFileCount) result << entry;
  return result;
}

QStringList existing_only(const QStringList& list) {
  QStringList result;
  for (const QString& entry : list)
    if (QFileInfo(entry).isFile()) result << entry;
  return result;
}

QStringList read_recent_files(const IniFile& settings) {
  QStringList list;
  for (int i = 0; i < kRecentFileCount; ++i) {
    const QString entry = settings.read_string(kRecentSection, key_of(i), QString());
    if (!entry.isEmpty() && !list.contains(entry)) list << entry;
  }
  return list;
}

bool write_recent_files(const IniFile& settings, const QStringList& list) {
  bool written = true;
  for (int i = 0; i < kRecentFileCount; ++i)
    written = settings.write_string(kRecentSection, key_of(i), i < list.size() ? list[i] : QString()) && written;
  return written;
}
