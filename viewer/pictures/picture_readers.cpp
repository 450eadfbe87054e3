#include "viewer/pictures/picture_readers.h"

#include <QImageReader>

#include "imagelib/image_library.h"
#include "viewer/pictures/picture_registry.h"
#include "viewer/pictures/qt_bitmap_bridge.h"
#include "viewer/pictures/toolkit_error.h"

QImage LibraryImageReader::load(const QString& file_name) {
  const BitmapHandle bitmap =
      load_image_to_bitmap(file_name.toStdString(), side_info(), side_tiff(), CompositeNone);
  after_read();
  return bitmap ? qimage_from_bitmap(*bitmap) : QImage();
}

void TWSQImage::after_read() {
  last_.depth_or_quality = info_.depth_or_quality;
  last_.ppi = info_.ppi;
  last_.comment = info_.comment;
}

QImage read_jpeg_image(const QString& file_name) {
  QImageReader reader(file_name, "jpeg");
  QImage image = reader.read();
  if (image.isNull()) {
    throw ToolkitError(QStringLiteral("Cannot read JPEG image \"%1\": %2").arg(file_name, reader.errorString()));
  }
  return image;
}

template <typename Reader, typename... Records>
static PictureReader reader_of(Records&... records) {
  return [&records...](const QString& file_name) { return Reader(records...).load(file_name); };
}

void register_program_readers(PictureRegistry& registry, ImageInfo& last_image_info,
                              TiffOptions& last_tiff_options) {
  for (const char* extension : {"jpg", "jpeg", "jpe"}) registry.register_reader(extension, "JPEGFile", read_jpeg_image);
  registry.register_reader("wsq", "WSQFile", reader_of<TWSQImage>(last_image_info));
  registry.register_reader("tiff", "TIFFFile", reader_of<TTIFFImage>(last_tiff_options));
  registry.register_reader("png", "PNGFile", reader_of<TPNGImage>());
  registry.register_reader("gif", "GIFFile", reader_of<TGIFImage>());
  registry.register_reader("tga", "TGAFile", reader_of<TTGAImage>());
  registry.register_reader("cel", "CELFile", reader_of<TCELImage>());
  registry.register_reader("rgb", "RGBFile", reader_of<TRGBImage>());
  registry.register_reader("rgba", "RGBFile", reader_of<TRGBImage>());
  registry.register_reader("pcx", "PCXFile", reader_of<TPCXImage>());
  registry.register_reader("iff", "IFFFile", reader_of<TIFFImage>());
}
