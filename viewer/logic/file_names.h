#pragma once
// File-name pieces used by the open and save flows. The extension of a name
// starts at its last "." after the last "/" (so a dot in a directory name is
// never taken for one).
#include <QString>

// The extension with its dot, as written; empty when there is none.
QString file_extension(const QString& name);

// The directory part of name with its trailing "/"; empty when name has none.
QString directory_part(const QString& name);

// name with its extension (if any) replaced by extension (given with its dot).
QString replace_extension(const QString& name, const QString& extension);

// The settings file of the program at program_path: the extension replaced
// by ".ini", or ".ini" appended when the program has none.
QString settings_file_path(const QString& program_path);
