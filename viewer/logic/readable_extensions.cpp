#include "viewer/logic/readable_extensions.h"

#include <QStringList>

bool is_registry_extension(const QString& lower_extension) {
  static const QStringList extensions = {
      ".wsq", ".bmp", ".tif", ".tiff", ".png", ".tga", ".cel", ".rgb", ".rgba", ".gif", ".psd", ".rle", ".dib",
      ".win", ".vst", ".vda", ".icb",  ".fax", ".eps", ".pcx", ".pcc", ".scr",  ".rpf", ".rla", ".sgi", ".bw",
      ".pdd", ".ppm", ".pgm", ".pbm",  ".pic", ".pcd", ".cut", ".psp", ".ico",  ".wmf", ".emf", ".jfif", ".iff"};
  return extensions.contains(lower_extension);
}

bool is_jpeg_extension(const QString& lower_extension) {
  return lower_extension == ".jpg" || lower_extension == ".jpeg" || lower_extension == ".jpe";
}

bool is_readable_extension(const QString& lower_extension) {
  return is_registry_extension(lower_extension) || is_jpeg_extension(lower_extension);
}
