#include "viewer/pictures/qt_bitmap_bridge.h"

#include <cstdlib>
#include <cstring>

namespace {

QImage::Format format_for(uint16_t bits) {
  switch (bits) {
    case 1: return QImage::Format_Mono;
    case 4:
    case 8: return QImage::Format_Indexed8;
    case 16: return QImage::Format_RGB555;
    case 24: return QImage::Format_BGR888;
    case 32: return QImage::Format_RGB32;
    default: return QImage::Format_Invalid;
  }
}

QList<QRgb> colour_table_of(const Bitmap& bitmap) {
  const size_t entries = std::min<size_t>(bitmap.colour_table.size(), size_t{1} << bitmap.header.biBitCount);
  QList<QRgb> table(1 << bitmap.header.biBitCount, qRgb(0, 0, 0));
  for (size_t i = 0; i < entries; ++i) {
    const RgbQuad& quad = bitmap.colour_table[i];
    table[static_cast<qsizetype>(i)] = qRgb(quad.red, quad.green, quad.blue);
  }
  return table;
}

// Copies one source row into the image row; 4-bit rows are widened to one byte per pixel.
void copy_row(const uint8_t* source, uchar* target, const Bitmap& bitmap, qsizetype target_bytes) {
  if (bitmap.header.biBitCount != 4) {
    std::memcpy(target, source, static_cast<size_t>(target_bytes));
    return;
  }
  for (int32_t x = 0; x < bitmap.header.biWidth; ++x) target[x] = (source[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F;
}

// Bytes of one image row that carry pixels.
qsizetype pixel_bytes(const QImage& image, uint16_t bits) {
  if (bits == 4) return image.width();
  return (static_cast<qsizetype>(image.width()) * bits + 7) / 8;
}

}  // namespace

QImage qimage_from_bitmap(const Bitmap& bitmap) {
  const int32_t width = bitmap.header.biWidth;
  const int64_t height = std::llabs(static_cast<long long>(bitmap.header.biHeight));
  const QImage::Format format = format_for(bitmap.header.biBitCount);
  if (width <= 0 || height <= 0 || height > INT32_MAX || format == QImage::Format_Invalid) return QImage();
  const size_t row_size = bitmap.row_size();
  if (bitmap.bits.size() / row_size < static_cast<size_t>(height)) return QImage();
  QImage image(width, static_cast<int>(height), format);
  if (image.isNull()) return QImage();
  if (bitmap.header.biBitCount <= 8) image.setColorTable(colour_table_of(bitmap));
  const bool bottom_up = bitmap.header.biHeight > 0;
  const qsizetype bytes = pixel_bytes(image, bitmap.header.biBitCount);
  for (int y = 0; y < image.height(); ++y) {
    const size_t source_row = bottom_up ? static_cast<size_t>(height - 1 - y) : static_cast<size_t>(y);
    copy_row(bitmap.bits.data() + source_row * row_size, image.scanLine(y), bitmap, bytes);
  }
  return image;
}

BitmapHandle bitmap_from_qimage(const QImage& image) {
  if (image.isNull()) return nullptr;
  const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->header.biWidth = bgr.width();
  bitmap->header.biHeight = bgr.height();
  bitmap->header.biBitCount = 24;
  const size_t row_size = bitmap->row_size();
  bitmap->header.biSizeImage = static_cast<uint32_t>(row_size * static_cast<size_t>(bgr.height()));
  bitmap->bits.assign(row_size * static_cast<size_t>(bgr.height()), 0);
  for (int y = 0; y < bgr.height(); ++y) {
    std::memcpy(bitmap->bits.data() + static_cast<size_t>(bgr.height() - 1 - y) * row_size, bgr.constScanLine(y),
                static_cast<size_t>(bgr.width()) * 3);
  }
  return bitmap;
}
