#pragma once
// Where the viewer keeps its settings. Beside the program (its path with
// ".ini") while that file can be written, as when running from the build
// tree; an installed program's folder is not writable by its users, so then
// the file is $XDG_CONFIG_HOME/wsqview/wsqview.ini (~/.config when the
// variable is unset, empty or not an absolute path), its folder created.
#include <QString>

QString settings_location(const QString& program_path);
