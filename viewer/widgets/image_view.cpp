#include "viewer/widgets/image_view.h"

#include <QPaintEvent>
#include <QPainter>

#include "viewer/logic/view_mapping.h"
#include "viewer/pictures/half_size.h"

ImageView::ImageView(QWidget* parent) : QWidget(parent) {}

void ImageView::setPicture(const QImage& picture) {
  if (picture.cacheKey() != picture_.cacheKey()) halves_.clear();
  picture_ = picture;
  update();
  emit pictureSet();
}

void ImageView::clearPicture() {
  picture_ = QImage();
  halves_.clear();
  update();
  emit pictureSet();
}

const QImage& ImageView::level_for(QSize shown) {
  const QImage* level = &picture_;
  for (size_t k = 0;; ++k) {
    const QSize half(level->width() / 2, level->height() / 2);
    if (half.width() < shown.width() || half.height() < shown.height() || half.isEmpty()) return *level;
    if (k == halves_.size()) halves_.push_back(half_size(*level));
    level = &halves_[k];
  }
}

void ImageView::paintEvent(QPaintEvent* event) {
  if (picture_.isNull() || width() <= 0 || height() <= 0) return;
  const bool reduced = width() < picture_.width() || height() < picture_.height();
  const QImage& source = reduced ? level_for(size()) : picture_;
  const SourceSpan span = visible_source(event->rect() & rect(), size(), source.size(), reduced ? 1 : 0);
  if (span.source.isEmpty()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, reduced);
  painter.drawImage(span.target, source, span.source);
}
