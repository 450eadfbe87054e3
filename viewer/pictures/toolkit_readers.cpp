#include "viewer/pictures/toolkit_readers.h"

#include <QDir>
#include <QImageReader>

#include "imagelib/formats/bmp.h"
#include "imagelib/formats/pcx.h"
#include "imagelib/formats/psd.h"
#include "imagelib/formats/sgi.h"
#include "imagelib/formats/tga.h"
#include "imagelib/formats/tiff.h"
#include "imagelib/image_library.h"
#include "viewer/pictures/picture_registry.h"
#include "viewer/pictures/qt_bitmap_bridge.h"
#include "viewer/pictures/toolkit_error.h"

namespace {

using RecordReader = ImageLibraryError (*)(const std::string&, ImageRecord&);

QString shown_name(const QString& file_name) { return QDir::toNativeSeparators(file_name); }

[[noreturn]] void refuse(const QString& file_name, const QString& reason) {
  throw ToolkitError(QStringLiteral("Cannot read \"%1\": %2").arg(shown_name(file_name), reason));
}

QImage through_library(RecordReader read, const QString& file_name) {
  ImageRecord record;
  if (read(file_name.toStdString(), record) != NoError) refuse(file_name, get_last_error_message());
  const BitmapHandle bitmap = image_to_dib_section(record, CompositeNone);
  QImage image = bitmap ? qimage_from_bitmap(*bitmap) : QImage();
  if (image.isNull()) refuse(file_name, get_last_error_message());
  return image;
}

ImageLibraryError read_tiff_without_options(const std::string& file_name, ImageRecord& record) {
  return read_tiff(file_name, record, nullptr);
}

PictureReader library_reader(RecordReader read) {
  return [read](const QString& file_name) { return through_library(read, file_name); };
}

PictureReader qt_reader(const char* format) {
  return [format](const QString& file_name) {
    QImageReader reader(file_name, format);
    QImage image = reader.read();
    if (image.isNull()) refuse(file_name, reader.errorString());
    return image;
  };
}

QImage unreadable(const QString& file_name) {
  refuse(file_name, QStringLiteral("this image format cannot be read."));
}

}  // namespace

void register_toolkit_readers(PictureRegistry& registry) {
  const struct {
    const char* extensions[5];
    RecordReader read;
  } library_readers[] = {
      {{"bmp", "dib", "rle"}, read_bmp},
      {{"tga", "win", "vst", "vda", "icb"}, read_tga},
      {{"sgi", "bw"}, read_rgb},
      {{"pcc"}, read_pcx},
      {{"psd", "pdd"}, read_psd},
      {{"tif"}, read_tiff_without_options},
  };
  for (const auto& entry : library_readers)
    for (const char* extension : entry.extensions)
      if (extension) registry.register_reader(extension, QString(), library_reader(entry.read));
  registry.register_reader("ico", QString(), qt_reader("ico"));
  registry.register_reader("ppm", QString(), qt_reader("ppm"));
  registry.register_reader("pgm", QString(), qt_reader("pgm"));
  registry.register_reader("pbm", QString(), qt_reader("pbm"));
  registry.register_reader("jfif", QString(), qt_reader("jpeg"));
  for (const char* extension : {"fax", "eps", "scr", "rpf", "rla", "pic", "pcd", "cut", "psp", "wmf", "emf"})
    registry.register_reader(extension, QString(), unreadable);
}
