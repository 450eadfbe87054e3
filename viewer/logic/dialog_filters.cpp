#include "viewer/logic/dialog_filters.h"

#include <QRegularExpression>
#include <algorithm>
#include <string_view>
#include <vector>

#include "viewer/logic/format_table.h"

namespace {

// The open dialog's first entry, with its patterns as described (a blank
// before "*.rpf" and a closing separator included).
constexpr const char* kAllImagesDescription = "All images";
constexpr const char* kAllImagesPatterns =
    "*.wsq;*.bmp;*.tiff;*.tif;*.jpg;*.jpe;*.jpeg;*.png;*.gif;*.iff;*.ico;*.wmf;*.emf;*.jfif;*.rle;*.dib;*.win;"
    "*.vst;*.vda;*.tga;*.icb;*.fax;*.eps;*.pcx;*.pcc;*.scr; *.rpf;*.rla;*.sgi;*.rgba;*.rgb;*.bw;*.psd;*.pdd;"
    "*.ppm;*.pgm;*.pbm;*.cel;*.pic;*.pcd;*.cut;*.psp;";

QString entry_text(std::string_view description, std::string_view pattern) {
  return QString::fromLatin1(description.data(), static_cast<qsizetype>(description.size())) + '|' +
         QString::fromLatin1(pattern.data(), static_cast<qsizetype>(pattern.size())) + '|';
}

// The description without a trailing "(...)" that only repeats the pattern.
QString bare_description(const QString& description) {
  static const QRegularExpression trailing_pattern(QStringLiteral("\\s*\\(\\*[^()]*\\)$"));
  return QString(description).remove(trailing_pattern);
}

}  // namespace

QString open_dialog_filter_text() {
  // The format rows in the order of their places in the dialog.
  std::vector<const FormatRow*> rows;
  for (const FormatRow& row : FormatPatterns())
    if (row.filter_position > 0) rows.push_back(&row);
  std::sort(rows.begin(), rows.end(),
            [](const FormatRow* a, const FormatRow* b) { return a->filter_position < b->filter_position; });
  QString text = entry_text(kAllImagesDescription, kAllImagesPatterns);
  for (const FormatRow* row : rows) text += entry_text(row->filter_description, row->filter_pattern);
  return text;
}

QString save_dialog_filter_text() {
  QString text;
  for (const SaveFormatRow& row : SaveFormatRows()) text += entry_text(row.filter_description, row.filter_pattern);
  return text;
}

QStringList qt_name_filters(const QString& filter_text) {
  const QStringList parts = filter_text.split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
    QStringList cleaned;
    for (const QString& pattern : patterns) cleaned << pattern.trimmed();
    filters << bare_description(parts[i]) + " (" + cleaned.join(' ') + ')';
  }
  return filters;
}
