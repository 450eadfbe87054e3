#include "viewer/pictures/toolkit_readers.h"

#include <QDir>
#include <QImageReader>
#include <algorithm>

#include "imagelib/formats/bmp.h"
#include "imagelib/formats/pcx.h"
#include "imagelib/formats/psd.h"
#include "imagelib/formats/sgi.h"
#include "imagelib/formats/tga.h"
#include "imagelib/formats/tiff.h"
#include "imagelib/image_library.h"
#include "viewer/logic/format_table.h"
#include "viewer/pictures/picture_registry.h"
#include "viewer/pictures/qt_bitmap_bridge.h"
#include "viewer/pictures/toolkit_error.h"

namespace {

using RecordReader = ImageLibraryError (*)(const std::string&, ImageRecord&);

QString shown_name(const QString& file_name) { return QDir::toNativeSeparators(file_name); }

[[noreturn]] void refuse(const QString& file_name, const QString& reason) {
  throw ToolkitError(QStringLiteral("Cannot read \"%1\": %2").arg(shown_name(file_name), reason));
}

QImage through_library(RecordReader read, const QString& file_name, const LoadLimits& limits, int32_t& read_ppi) {
  ImageRecord record;
  record.max_pixels = limits.max_pixels;
  record.max_file_size = limits.max_file_size;
  if (const ImageLibraryError code = read(file_name.toStdString(), record); code != NoError) {
    const QString message = QString::fromLatin1(get_last_error_message());
    refuse(file_name, code == BadImageSize ? library_pixel_refusal(message, limits) : message);
  }
  const BitmapHandle bitmap = image_to_dib_section(record, CompositeNone);
  QImage image = bitmap ? qimage_from_bitmap(*bitmap) : QImage();
  if (image.isNull()) refuse(file_name, get_last_error_message());
  read_ppi = record.ppi;
  return image;
}

ImageLibraryError read_tiff_without_options(const std::string& file_name, ImageRecord& record) {
  return read_tiff(file_name, record, nullptr);
}

PictureReader library_reader(RecordReader read, const LoadLimits& limits, int32_t& read_ppi) {
  return [read, &limits, &read_ppi](const QString& file_name) {
    return through_library(read, file_name, limits, read_ppi);
  };
}

PictureReader qt_reader(const char* format, const LoadLimits& limits) {
  return [format, &limits](const QString& file_name) {
    QImageReader reader(file_name, format);
    const QSize size = reader.size();
    if (const auto refusal = pixel_refusal(std::max(size.width(), 0), std::max(size.height(), 0), limits))
      refuse(file_name, *refusal);
    QImage image = reader.read();
    if (image.isNull()) refuse(file_name, reader.errorString());
    return image;
  };
}

QImage unreadable(const QString& file_name) {
  refuse(file_name, QStringLiteral("this image format cannot be read."));
}

}  // namespace

void register_toolkit_readers(PictureRegistry& registry, const LoadLimits& limits, int32_t& read_ppi) {
  for (const FormatRow& row : FormatPatterns()) {
    const std::string_view extension = row_extension(row);
    if (extension.empty()) continue;
    // "jfif" files are JPEG files to Qt; the other Qt formats are named by their extension.
    const char* qt_format = extension == ".jfif" ? "jpeg" : extension.data() + 1;
    PictureReader reader;
    switch (row.reader) {
      case FormatReader::LibraryBmp: reader = library_reader(read_bmp, limits, read_ppi); break;
      case FormatReader::LibraryTga: reader = library_reader(read_tga, limits, read_ppi); break;
      case FormatReader::LibrarySgi: reader = library_reader(read_rgb, limits, read_ppi); break;
      case FormatReader::LibraryPcx: reader = library_reader(read_pcx, limits, read_ppi); break;
      case FormatReader::LibraryPsd: reader = library_reader(read_psd, limits, read_ppi); break;
      case FormatReader::LibraryTiff: reader = library_reader(read_tiff_without_options, limits, read_ppi); break;
      case FormatReader::Qt: reader = qt_reader(qt_format, limits); break;
      case FormatReader::None: reader = unreadable; break;
      default: continue;  // the program's own readers (register_program_readers)
    }
    registry.register_reader(QString::fromLatin1(extension.data() + 1, static_cast<qsizetype>(extension.size() - 1)),
                             QString(), reader);
  }
}
