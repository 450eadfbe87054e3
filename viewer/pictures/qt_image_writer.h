#pragma once
// Writes BMP and JPEG files through Qt's image writers, by way of a
// temporary file that replaces the target only when everything was written.
#include <QImage>
#include <QString>

// A 24-bit uncompressed BMP file. Throws ToolkitError on failure.
void write_bmp_file(const QImage& image, const QString& file_name);
// A baseline colour JPEG file of quality 90. Throws ToolkitError on failure.
void write_jpeg_file(const QImage& image, const QString& file_name);
