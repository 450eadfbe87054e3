#include "viewer/widgets/zoom_panel.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QToolButton>

#include "viewer/widgets/cursors.h"
#include "viewer/widgets/widget_placement.h"

static QToolButton* glyph_button(QWidget* parent, const char* name, int left, const QIcon& glyph,
                                 const char* hint) {
  auto* button = place(new QToolButton(parent), name, left, 8, 32, 32);
  button->setIcon(glyph);
  button->setIconSize(QSize(24, 24));
  button->setToolTip(QString::fromLatin1(hint));
  return button;
}

ZoomPanel::ZoomPanel(QWidget* parent) : QFrame(parent) {
  setObjectName("ZoomPanel");
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setAutoFillBackground(true);
  setFocusPolicy(Qt::ClickFocus);
  resize(kWidth, kClosedHeight);
  ZoomInButton = glyph_button(this, "ZoomInButton", 8, zoom_in_glyph(), "Zoom in");
  ZoomOutButton = glyph_button(this, "ZoomOutButton", 48, zoom_out_glyph(), "Zoom out");
  FitViewButton = glyph_button(this, "FitViewButton", 88, fit_view_glyph(), "Fit view");
  RestoreOriginalSizeButton = glyph_button(this, "RestoreOriginalSizeButton", 128, original_size_glyph(), "Original size");
  ZoomSelectedPointCheckBox = place(new QCheckBox("Zoom selected point", this), "ZoomSelectedPointCheckBox", 8, 56, 150, 17);
  ZoomScaleLabel = place(new QLabel("Zoom scale", this), "ZoomScaleLabel", 16, 84);
  ZoomScaleEdit = place(new QLineEdit(this), "ZoomScaleEdit", 112, 80, 41, 21);
  ZoomTrackBar = place(new QSlider(Qt::Horizontal, this), "ZoomTrackBar", 8, 104, 153, 25);
  ZoomTrackBar->setRange(0, 10);
  ZoomTrackBar->setSingleStep(1);
  ZoomTrackBar->setPageStep(2);
  ZoomTrackBar->setTickInterval(1);
  ZoomTrackBar->setTickPosition(QSlider::TicksBelow);
  MoreLessButton = place(new QToolButton(this), "MoreLessButton", 120, kClosedHeight - 18, 49, 17);
  MoreLessButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  // The glyph sits right of the caption.
  MoreLessButton->setLayoutDirection(Qt::RightToLeft);
  MoreLessButton->setIconSize(QSize(16, 6));
  MoreLessButton->setAutoRaise(true);
  // Caption and glyph fit the small button.
  QFont small = MoreLessButton->font();
  small.setPixelSize(10);
  MoreLessButton->setFont(small);
  MoreLessButton->setStyleSheet("QToolButton { padding: 0px; }");
  // The hand cursors belong to the panel's background; its controls keep the arrow.
  for (QWidget* control : std::initializer_list<QWidget*>{ZoomInButton, ZoomOutButton, FitViewButton,
                                                          RestoreOriginalSizeButton, ZoomSelectedPointCheckBox,
                                                          ZoomTrackBar, MoreLessButton})
    control->setCursor(Qt::ArrowCursor);
  set_settings_open(false);
}

void ZoomPanel::set_settings_open(bool open) {
  for (QWidget* control : {static_cast<QWidget*>(ZoomScaleLabel), static_cast<QWidget*>(ZoomScaleEdit),
                           static_cast<QWidget*>(ZoomTrackBar), static_cast<QWidget*>(ZoomSelectedPointCheckBox)})
    control->setVisible(open);
  MoreLessButton->setText(open ? "Less" : "More");
  MoreLessButton->setToolTip(open ? "Close zoom settings" : "Open zoom settings");
  MoreLessButton->setIcon(QIcon(open ? more_settings_arrow_up() : more_settings_arrow_down()));
  resize(kWidth, open ? kOpenHeight : kClosedHeight);
  place_more_less_button();
}

// The More/Less button keeps to the panel's right edge, its bottom edge one
// pixel above the panel's.
void ZoomPanel::place_more_less_button() {
  MoreLessButton->move(width() - MoreLessButton->width(), height() - 1 - MoreLessButton->height());
}
