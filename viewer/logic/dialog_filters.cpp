#include "viewer/logic/dialog_filters.h"

#include <QRegularExpression>

namespace {

struct FilterEntry {
  const char* description;
  const char* pattern;
};

constexpr FilterEntry kOpenEntries[] = {
    {"All images",
     "*.wsq;*.bmp;*.tiff;*.tif;*.jpg;*.jpe;*.jpeg;*.png;*.gif;*.iff;*.ico;*.wmf;*.emf;*.jfif;*.rle;*.dib;*.win;"
     "*.vst;*.vda;*.tga;*.icb;*.fax;*.eps;*.pcx;*.pcc;*.scr; *.rpf;*.rla;*.sgi;*.rgba;*.rgb;*.bw;*.psd;*.pdd;"
     "*.ppm;*.pgm;*.pbm;*.cel;*.pic;*.pcd;*.cut;*.psp;"},
    {"FBI Wavelet Scalar Quantization (*.wsq)", "*.wsq"},
    {"Windows bitmaps (*.bmp)", "*.bmp"},
    {"Macintosh TIFF images (*.tiff)", "*.tiff"},
    {"PC TIFF images (*.tif)", "*.tif"},
    {"JPG images (*.jpg)", "*.jpg"},
    {"JPE images (*.jpe)", "*.jpe"},
    {"JPEG images (*.jpeg)", "*.jpeg"},
    {"Portable network graphic images (*.png)", "*.png"},
    {"Compuserve Graphic Interchange Format(*.gif)", "*gif"},
    {"Paintshop Pro images (*.psp)", "*.psp"},
    {"JFIF images (*.jfif)", "*.jfif"},
    {"Run length encoded Windows bitmaps (*.rle)", "*.rle"},
    {"Device independant Windows bitmaps (*.dib)", "*.dib"},
    {"Truevision images (*.win)", "*.win"},
    {"Truevision images (*.vst)", "*.vst"},
    {"Truevision images (*.vda)", "*.vda"},
    {"Truevision images (*.tga)", "*.tga"},
    {"Truevision images (*.icb)", "*.icb"},
    {"GFI fax images (*.fax)", "*.fax"},
    {"Encapsulated Postscript images (*.eps)", "*.eps"},
    {"ZSoft Paintbrush images (*.pcx)", "*.pcx"},
    {"ZSoft Paintbrush images (*.pcc)", "*.pcc"},
    {"Word 5.x screen capture images (*.scr)", "*.scr"},
    {"Alias/Wavefront images (*.rpf)", "*.rpf"},
    {"Alias/Wavefront images (*.rla)", "*.rla"},
    {"SGI true color images (*.sgi)", "*.sgi"},
    {"SGI true color images with alpha (*.rgba)", "*.rgba"},
    {"SGI true color images (*.rgb)", "*.rgb"},
    {"SGI black/white images (*.bw)", "*.bw"},
    {"Photoshop images (*.psd)", "*.psd"},
    {"Photoshop images (*.pdd)", "*.pdd"},
    {"Portable pixel map images (*.ppm)", "*.ppm"},
    {"Portable gray map images (*.pgm)", "*.pgm"},
    {"Portable bitmap images (*.pbm)", "*.pbm"},
    {"Autodesk images (*.cel)", "*.cel"},
    {"Autodesk images (*.pic)", "*.pic"},
    {"Kodak Photo-CD images (*.pcd)", "*.pcd"},
    {"Dr. Halo images (*.cut)", "*.cut"},
    {"Amiga Bitmap Graphic (8 bits)", "*.iff"},
    {"Windows icons (*.ico)", "*.ico"},
    {"Windows metafiles (*.wmf)", "*.wmf"},
    {"Windows enhanced meta files (*.emf)", "*.emf"},
};

constexpr FilterEntry kSaveEntries[] = {
    {"WSQ Files (*.wsq)", "*.wsq"},   {"Windows BMP (*.bmp)", "*.bmp"}, {"TIFF Files (*.tif)", "*.tif"},
    {"PNG Files (*.png)", "*.png"},   {"JPEG Files (*.jpg)", "*.jpg"}, {"Targa Files (*.tga)", "*.tga"},
    {"RGB Files (*.rgb)", "*.rgb"},
};

template <size_t N>
QString filter_text(const FilterEntry (&entries)[N]) {
  QString text;
  for (const FilterEntry& entry : entries) text += QString::fromLatin1(entry.description) + '|' + entry.pattern + '|';
  return text;
}

// The description without a trailing "(...)" that only repeats the pattern.
QString bare_description(const QString& description) {
  static const QRegularExpression trailing_pattern(QStringLiteral("\\s*\\(\\*[^()]*\\)$"));
  return QString(description).remove(trailing_pattern);
}

}  // namespace

QString open_dialog_filter_text() { return filter_text(kOpenEntries); }

QString save_dialog_filter_text() { return filter_text(kSaveEntries); }

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
