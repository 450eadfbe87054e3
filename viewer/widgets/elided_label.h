#pragma once
// A one-line label that shows as much of its text as fits, ending in "..."
// where it is cut, with the whole text in its tooltip.
#include <QLabel>

class ElidedLabel : public QLabel {
  Q_OBJECT
 public:
  explicit ElidedLabel(QWidget* parent = nullptr);

  void setFullText(const QString& text);
  const QString& fullText() const { return full_text_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void show_fitting_part();

  QString full_text_;
};
