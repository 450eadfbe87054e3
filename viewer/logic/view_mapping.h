#pragma once
// Which part of a picture a stretched view shows in an exposed rectangle.
#include <QRect>
#include <QRectF>
#include <QSize>

// source: whole image pixels covering the exposed area (widened by margin
// pixels on each side, for smoothing across the edge); target: where those
// pixels land in the view, in view coordinates.
struct SourceSpan {
  QRect source;
  QRectF target;
};

SourceSpan visible_source(const QRect& exposed, QSize view, QSize image, int margin);
