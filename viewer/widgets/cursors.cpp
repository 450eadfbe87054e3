#include "viewer/widgets/cursors.h"

#include <QBitmap>
#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace {

constexpr int kCursorSize = 32;

using Drawing = std::function<void(QPainter&)>;

// A monochrome bitmap of the drawing: drawn pixels are set.
QBitmap monochrome(const Drawing& draw, int size) {
  QBitmap bitmap(size, size);
  bitmap.fill(Qt::color0);
  QPainter painter(&bitmap);
  painter.setPen(QPen(Qt::color1, 1));
  painter.setBrush(Qt::color1);
  draw(painter);
  return bitmap;
}

// A cursor with a black outline (shape) around a white inside (fill).
QCursor two_tone_cursor(const Drawing& shape, const Drawing& inside, int hot_spot) {
  const QBitmap mask = monochrome(shape, kCursorSize);
  const QBitmap black = monochrome(
      [&](QPainter& painter) {
        shape(painter);
        painter.setPen(QPen(Qt::color0, 1));
        painter.setBrush(Qt::color0);
        inside(painter);
      },
      kCursorSize);
  return QCursor(black, mask, hot_spot, hot_spot);
}

QPainterPath hand_path(bool closed) {
  QPainterPath path;
  path.addRoundedRect(QRectF(8, 13, 17, 14), 5, 5);
  const int finger_top = closed ? 10 : 4;
  for (int i = 0; i < 4; ++i) path.addRoundedRect(QRectF(8.5 + i * 4, finger_top, 4, 14 - finger_top + 1), 2, 2);
  if (!closed) path.addRoundedRect(QRectF(4, 14, 7, 4), 2, 2);
  return path.simplified();
}

QCursor hand_cursor(bool closed) {
  const QPainterPath outline = hand_path(closed);
  return two_tone_cursor([&](QPainter& p) { p.drawPath(outline); },
                         [&](QPainter& p) {
                           p.translate(1, 1);
                           p.scale(0.92, 0.92);
                           p.drawPath(outline);
                         },
                         16);
}

QCursor magnifier_cursor(bool plus) {
  const auto shape = [](QPainter& p) {
    p.drawEllipse(QPoint(14, 14), 9, 9);
    p.setPen(QPen(Qt::color1, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(20, 20, 28, 28);
  };
  const auto inside = [plus](QPainter& p) {
    p.drawEllipse(QPoint(14, 14), 7, 7);
    p.setPen(QPen(Qt::color1, 2));
    p.drawLine(10, 14, 18, 14);
    if (plus) p.drawLine(14, 10, 14, 18);
  };
  return two_tone_cursor(shape, inside, 14);
}

QPixmap arrow_glyph(bool down) {
  QPixmap pixmap(16, 6);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  const QPolygon triangle = down ? QPolygon({QPoint(3, 0), QPoint(13, 0), QPoint(8, 5)})
                                 : QPolygon({QPoint(3, 5), QPoint(13, 5), QPoint(8, 0)});
  painter.drawPolygon(triangle);
  return pixmap;
}

QIcon glyph(const std::function<void(QPainter&)>& draw) {
  QPixmap pixmap(24, 24);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(30, 30, 30), 2));
  draw(painter);
  return QIcon(pixmap);
}

QIcon magnifier_glyph(bool plus) {
  return glyph([plus](QPainter& p) {
    p.drawEllipse(QPointF(10, 10), 7, 7);
    p.drawLine(QPointF(15, 15), QPointF(21, 21));
    p.drawLine(QPointF(6.5, 10), QPointF(13.5, 10));
    if (plus) p.drawLine(QPointF(10, 6.5), QPointF(10, 13.5));
  });
}

}  // namespace

QCursor make_cursor(CursorSlot slot) {
  switch (slot) {
    case HandGrabber: return hand_cursor(false);
    case HandGrabberFist: return hand_cursor(true);
    case ZoomInCursor: return magnifier_cursor(true);
    case ZoomOutCursor: return magnifier_cursor(false);
    case DefaultCursor: break;
  }
  return QCursor(Qt::ArrowCursor);
}

QPixmap more_settings_arrow_down() { return arrow_glyph(true); }
QPixmap more_settings_arrow_up() { return arrow_glyph(false); }

QIcon zoom_in_glyph() { return magnifier_glyph(true); }
QIcon zoom_out_glyph() { return magnifier_glyph(false); }

QIcon fit_view_glyph() {
  return glyph([](QPainter& p) {
    p.drawRect(QRectF(4, 4, 16, 16));
    p.drawLine(QPointF(8, 8), QPointF(16, 16));
    p.drawLine(QPointF(16, 8), QPointF(8, 16));
  });
}

QIcon original_size_glyph() {
  return glyph([](QPainter& p) {
    QFont font = p.font();
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, QStringLiteral("1:1"));
  });
}
