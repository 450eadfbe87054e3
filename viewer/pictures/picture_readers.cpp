#include "viewer/pictures/picture_readers.h"

#include <QImageReader>
#include <algorithm>
#include <thread>

#include "imagelib/image_library.h"
#include "viewer/logic/format_table.h"
#include "viewer/pictures/picture_registry.h"
#include "viewer/pictures/qt_bitmap_bridge.h"
#include "viewer/pictures/toolkit_error.h"

QImage LibraryImageReader::load(const QString& file_name, const LoadLimits* limits) {
  ImageRecord record;
  record.codec_threads = std::max(1u, std::thread::hardware_concurrency());
  if (limits) {
    record.max_pixels = limits->max_pixels;
    record.max_file_size = limits->max_file_size;
  }
  BitmapHandle bitmap;
  if (load_image(file_name.toStdString(), record, side_info(), side_tiff()) == NoError)
    bitmap = image_to_dib_section(record, CompositeNone);
  after_read();
  return bitmap ? qimage_from_bitmap(*bitmap) : QImage();
}

void TWSQImage::after_read() {
  last_.depth_or_quality = info_.depth_or_quality;
  last_.ppi = info_.ppi;
  last_.comment = info_.comment;
}

QImage read_jpeg_image(const QString& file_name, const LoadLimits& limits) {
  QImageReader reader(file_name, "jpeg");
  const QSize size = reader.size();
  if (const auto refusal = pixel_refusal(std::max(size.width(), 0), std::max(size.height(), 0), limits))
    throw ToolkitError(QStringLiteral("Cannot read JPEG image \"%1\": %2").arg(file_name, *refusal));
  QImage image = reader.read();
  if (image.isNull()) {
    throw ToolkitError(QStringLiteral("Cannot read JPEG image \"%1\": %2").arg(file_name, reader.errorString()));
  }
  return image;
}

template <typename Reader, typename... Records>
static PictureReader reader_of(const LoadLimits& limits, Records&... records) {
  return [&limits, &records...](const QString& file_name) { return Reader(records...).load(file_name, &limits); };
}

void register_program_readers(PictureRegistry& registry, ImageInfo& last_image_info,
                              TiffOptions& last_tiff_options, const LoadLimits& limits) {
  const auto jpeg = [&limits](const QString& file_name) { return read_jpeg_image(file_name, limits); };
  for (const FormatRow& row : FormatPatterns()) {
    PictureReader reader;
    switch (row.reader) {
      case FormatReader::Jpeg: reader = jpeg; break;
      case FormatReader::ProgramWsq: reader = reader_of<TWSQImage>(limits, last_image_info); break;
      case FormatReader::ProgramTiff: reader = reader_of<TTIFFImage>(limits, last_tiff_options); break;
      case FormatReader::Program: reader = reader_of<LibraryImageReader>(limits); break;
      default: continue;
    }
    const std::string_view extension = row_extension(row).substr(1);
    registry.register_reader(QString::fromLatin1(extension.data(), static_cast<qsizetype>(extension.size())),
                             QString::fromLatin1(row.registry_description.data(),
                                                 static_cast<qsizetype>(row.registry_description.size())),
                             reader);
  }
}
