#include "viewer/widgets/image_view.h"

#include <QPainter>

ImageView::ImageView(QWidget* parent) : QWidget(parent) {}

void ImageView::setPicture(const QImage& picture) {
  picture_ = picture;
  has_picture_ = true;
  update();
  emit pictureSet();
}

void ImageView::clearPicture() {
  picture_ = QImage();
  update();
}

void ImageView::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) return;
  QPainter painter(this);
  painter.drawImage(rect(), picture_);
}
