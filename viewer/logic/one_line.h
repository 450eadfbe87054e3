#pragma once
// A text on one line: each line break (CR LF, LF or CR) becomes one space.
#include <QString>

QString on_one_line(const QString& text);
