#pragma once
// The scroll box around the image control. The control may lie anywhere,
// even partly outside; scroll bars appear while it does not fit and move
// the control itself, so its position stays the one the zoom arithmetic
// works with. The wheel scrolls too; with Ctrl held it asks for zoom
// instead. A hidden content needs no bars.
#include <QFrame>

class QScrollBar;

class ScrollBox : public QFrame {
  Q_OBJECT
 public:
  explicit ScrollBox(QWidget* parent = nullptr);

  // The control the box scrolls (a child of the box).
  void setContent(QWidget* content);

  QScrollBar* horizontalBar() const { return horizontal_; }
  QScrollBar* verticalBar() const { return vertical_; }
  // Recomputes the bars (after the content was shown or hidden).
  void refresh() { update_bars(); }

 signals:
  // Ctrl and the wheel: notches turned (positive away from the user) at a
  // point of the box.
  void zoomWheel(int notches, QPoint at);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void update_bars();
  void scroll_to(Qt::Orientation orientation, int value);

  QWidget* content_ = nullptr;
  QScrollBar* horizontal_;
  QScrollBar* vertical_;
  QWidget* corner_;
  int wheel_rest_ = 0;  // angle of a Ctrl+wheel turn short of a whole notch
  bool updating_ = false;
};
