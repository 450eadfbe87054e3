#pragma once
// The image control: shows its picture stretched to its own size. Only the
// part that is exposed is drawn, straight from the full-size picture, so no
// scaled copy is ever made and memory does not grow with magnification.
// Magnified pictures are drawn as sharp squares, one per image pixel;
// reduced ones smoothly, from a pyramid of half-size copies made once per
// picture.
#include <QImage>
#include <QWidget>
#include <vector>

class ImageView : public QWidget {
  Q_OBJECT
 public:
  explicit ImageView(QWidget* parent = nullptr);

  // True while a picture (not an empty one) is shown.
  bool hasPicture() const { return !picture_.isNull(); }
  // The full-size picture shown (shared, not copied).
  const QImage& picture() const { return picture_; }
  void setPicture(const QImage& picture);
  void clearPicture();

 signals:
  // A picture was set or cleared.
  void pictureSet();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // The smallest of the picture and its half-size copies that is at least
  // as large as the control on both sides.
  const QImage& level_for(QSize shown);

  QImage picture_;
  std::vector<QImage> halves_;  // picture_ halved once, twice, ...
};
