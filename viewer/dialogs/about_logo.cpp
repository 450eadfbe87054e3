#include "viewer/dialogs/about_logo.h"

#include <QFont>
#include <QPainter>
#include <QPen>

QPixmap DrawAboutLogo(int width, int height) {
  QPixmap logo(width, height);
  logo.fill(Qt::transparent);
  QPainter painter(&logo);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor ink(40, 70, 130);
  painter.setPen(QPen(ink, 2));
  // Concentric open arcs, like the ridges around a fingerprint's core.
  const QPointF core(height / 2.0, height / 2.0);
  for (int ring = 1; ring <= 6; ++ring) {
    const double r = ring * (height / 2.0 - 4) / 6;
    painter.drawArc(QRectF(core.x() - r, core.y() - r, 2 * r, 2 * r), 30 * 16, 300 * 16);
  }
  QFont font("Serif");
  font.setPixelSize(height / 2);
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(QRect(height, 0, width - height, height), Qt::AlignCenter, "WSQ");
  return logo;
}
