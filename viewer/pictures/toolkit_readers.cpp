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
#include "viewer/pictures/picture_registry.h"
#include "viewer/pictures/qt_bitmap_bridge.h"
#include "viewer/pictures/toolkit_error.h"

namespace {

using RecordReader = ImageLibraryError (*)(const std::string&, ImageRecord&);

QString shown_name(const QString& file_name) { return QDir::toNativeSeparators(file_name); }

[[noreturn]] void refuse(const QString& file_name, const QString& reason) {
  throw ToolkitError(QStringLiteral("Cannot read \"%1\": %2").arg(shown_name(file_name), reason));
}

QImage through_library(RecordReader read, const QString& file_name, const LoadLimits& limits) {
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
  return image;
}

ImageLibraryError read_tiff_without_options(const std::string& file_name, ImageRecord& record) {
  return read_tiff(file_name, record, nullptr);
}

PictureReader library_reader(RecordReader read, const LoadLimits& limits) {
  return [read, &limits](const QString& file_name) { return through_library(read, file_name, limits); };
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

void register_toolkit_readers(PictureRegistry& registry, const LoadLimits& limits) {
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
      if (extension) registry.register_reader(extension, QString(), library_reader(entry.read, limits));
  registry.register_reader("ico", QString(), qt_reader("ico", limits));
  registry.register_reader("ppm", QString(), qt_reader("ppm", limits));
  registry.register_reader("pgm", QString(), qt_reader("pgm", limits));
  registry.register_reader("pbm", QString(), qt_reader("pbm", limits));
  registry.register_reader("jfif", QString(), qt_reader("jpeg", limits));
  for (const char* extension : {"fax", "eps", "scr", "rpf", "rla", "pic", "pcd", "cut", "psp", "wmf", "emf"})
    registry.register_reader(extension, QString(), unreadable);
}
