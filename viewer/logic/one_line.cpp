#include "viewer/logic/one_line.h"

QString on_one_line(const QString& text) {
  QString line = text;
  line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  line.replace(QChar('\n'), QChar(' '));
  line.replace(QChar('\r'), QChar(' '));
  return line;
}
