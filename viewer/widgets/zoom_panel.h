#pragma once
// The floating zoom panel: four zoom buttons, a collapsible settings row
// (point zoom, scale edit and track bar) and the More/Less button. The panel
// only builds and lays out its controls; the main window runs their handlers.
#include <QFrame>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;
class QToolButton;

class ZoomPanel : public QFrame {
  Q_OBJECT
 public:
  explicit ZoomPanel(QWidget* parent = nullptr);

  static constexpr int kWidth = 169;
  static constexpr int kClosedHeight = 66;
  static constexpr int kOpenHeight = 154;

  // Shows or hides the settings row and sets the More/Less button to match;
  // the panel's top edge stays where it is.
  void set_settings_open(bool open);

  // The integer drag flag: 1 while the panel is dragged, else 0.
  int Tag = 0;

  QToolButton* ZoomInButton;
  QToolButton* ZoomOutButton;
  QToolButton* FitViewButton;
  QToolButton* RestoreOriginalSizeButton;
  QCheckBox* ZoomSelectedPointCheckBox;
  QLabel* ZoomScaleLabel;
  QLineEdit* ZoomScaleEdit;
  QSlider* ZoomTrackBar;
  QToolButton* MoreLessButton;

 private:
  void place_more_less_button();
};
