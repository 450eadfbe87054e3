#pragma once
// The image control: shows its picture stretched to its own size.
#include <QImage>
#include <QWidget>

class ImageView : public QWidget {
  Q_OBJECT
 public:
  explicit ImageView(QWidget* parent = nullptr);

  // True from the first picture set on, also while the shown picture is empty.
  bool hasPicture() const { return has_picture_; }
  const QImage& picture() const { return picture_; }
  void setPicture(const QImage& picture);
  void clearPicture();

 signals:
  // A picture was set (also an empty one).
  void pictureSet();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
  bool has_picture_ = false;
};
