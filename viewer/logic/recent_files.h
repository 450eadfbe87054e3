#pragma once
// File > Recent files: the last eight files opened, newest first, kept in
// the settings file (section "Recent", keys "file1" to "file8").
#include <QStringList>

class IniFile;

inline constexpr int kRecentFileCount = 8;

// list with file moved or added to the front, at most eight entries.
QStringList with_recent(const QStringList& list, const QString& file);
// The entries whose files still exist.
QStringList existing_only(const QStringList& list);

QStringList read_recent_files(const IniFile& settings);
// False when the settings file cannot be written.
bool write_recent_files(const IniFile& settings, const QStringList& list);
