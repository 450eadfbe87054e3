#include "viewer/pictures/picture_readers.h"

#include <QImageReader>
#include <algorithm>
#include <thread>

#include "imagelib/image_library.h"
#include "viewer/logic/format_table.h"
#include "viewer/pictures/jpeg_resolution.h"
#include "viewer/pictures/picture_registry.h"
#include "viewer/pictures/qt_bitmap_bridge.h"
#include "viewer/pictures/toolkit_error.h"

QImage LibraryImageReader::load(const QString& file_name, const LoadLimits* limits, int32_t* read_ppi) {
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
  if (read_ppi) *read_ppi = bitmap ? record.ppi : -1;
  return bitmap ? qimage_from_bitmap(*bitmap) : QImage();
}

void TWSQImage::after_read() {
  last_.depth_or_quality = info_.depth_or_quality;
  last_.ppi = info_.ppi;
  last_.comment = info_.comment;
}

QImage read_jpeg_image(const QString& file_name, const LoadLimits& limits, int32_t& read_ppi) {
  read_ppi = -1;
  QImageReader reader(file_name, "jpeg");
  const QSize size = reader.size();
  if (const auto refusal = pixel_refusal(std::max(size.width(), 0), std::max(size.height(), 0), limits))
    throw ToolkitError(QStringLiteral("Cannot read JPEG image \"%1\": %2").arg(file_name, *refusal));
  QImage image = reader.read();
  if (image.isNull()) {
    throw ToolkitError(QStringLiteral("Cannot read JPEG image \"%1\": %2").arg(file_name, reader.errorString()));
  }
  read_ppi = jpeg_file_ppi(file_name);
  return image;
}

template <typename Reader, typename... Records>
static PictureReader reader_of(const LoadLimits& limits, int32_t& read_ppi, Records&... records) {
  return [&limits, &read_ppi, &records...](const QString& file_name) {
    return Reader(records...).load(file_name, &limits, &read_ppi);
  };
}

void register_program_readers(PictureRegistry& registry, ImageInfo& last_image_info,
                              TiffOptions& last_tiff_options, const LoadLimits& limits, int32_t& read_ppi) {
  const auto jpeg = [&limits, &read_ppi](const QString& file_name) {
    return read_jpeg_image(file_name, limits, read_ppi);
  };
  for (const FormatRow& row : FormatPatterns()) {
    PictureReader reader;
    switch (row.reader) {
      case FormatReader::Jpeg: reader = jpeg; break;
      case FormatReader::ProgramWsq: reader = reader_of<TWSQImage>(limits, read_ppi, last_image_info); break;
      case FormatReader::ProgramTiff: reader = reader_of<TTIFFImage>(limits, read_ppi, last_tiff_options); break;
      case FormatReader::Program: reader = reader_of<LibraryImageReader>(limits, read_ppi); break;
      default: continue;
    }
    const std::string_view extension = row_extension(row).substr(1);
    registry.register_reader(QString::fromLatin1(extension.data(), static_cast<qsizetype>(extension.size())),
                             QString::fromLatin1(row.registry_description.data(),
                                                 static_cast<qsizetype>(row.registry_description.size())),
                             reader);
  }
}
