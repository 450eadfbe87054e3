#include "viewer/pictures/qt_image_writer.h"

#include <QDir>
#include <QImageWriter>
#include <QSaveFile>

#include "viewer/pictures/toolkit_error.h"

static void write_image(const QImage& image, const QString& file_name, const char* format, int quality) {
  const QString shown = QDir::toNativeSeparators(file_name);
  if (image.isNull()) throw ToolkitError(QStringLiteral("Cannot write \"%1\": there is no image").arg(shown));
  QSaveFile file(file_name);
  if (!file.open(QIODevice::WriteOnly))
    throw ToolkitError(QStringLiteral("Cannot create file \"%1\". %2").arg(shown, file.errorString()));
  QImageWriter writer(&file, format);
  writer.setQuality(quality);
  if (!writer.write(image.convertToFormat(QImage::Format_RGB888)))
    throw ToolkitError(QStringLiteral("Cannot write \"%1\": %2").arg(shown, writer.errorString()));
  if (!file.commit())
    throw ToolkitError(QStringLiteral("Cannot write \"%1\": %2").arg(shown, file.errorString()));
}

void write_bmp_file(const QImage& image, const QString& file_name) { write_image(image, file_name, "bmp", -1); }

void write_jpeg_file(const QImage& image, const QString& file_name) { write_image(image, file_name, "jpeg", 90); }
