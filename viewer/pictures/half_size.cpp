#include "viewer/pictures/half_size.h"

QImage half_size(const QImage& picture) {
  const QImage source = picture.format() == QImage::Format_RGB888 ? picture
                                                                   : picture.convertToFormat(QImage::Format_RGB888);
  const int width = source.width() / 2;
  const int height = source.height() / 2;
  QImage half(width, height, QImage::Format_RGB888);
  if (half.isNull()) return half;
  for (int y = 0; y < height; ++y) {
    const uchar* top = source.constScanLine(2 * y);
    const uchar* bottom = source.constScanLine(2 * y + 1);
    uchar* out = half.scanLine(y);
    for (int x = 0; x < width * 3; ++x) {
      const int column = (x / 3) * 6 + x % 3;
      out[x] = static_cast<uchar>((top[column] + top[column + 3] + bottom[column] + bottom[column + 3] + 2) / 4);
    }
  }
  return half;
}
