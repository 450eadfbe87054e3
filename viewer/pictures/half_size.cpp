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
    for (int x = 0; x < width; ++x, top += 6, bottom += 6, out += 3)
      for (int c = 0; c < 3; ++c) out[c] = static_cast<uchar>((top[c] + top[c + 3] + bottom[c] + bottom[c + 3] + 2) / 4);
  }
  return half;
}
