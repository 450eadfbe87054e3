// Zoom and pan handlers of the main window.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QToolButton>

#include "viewer/widgets/cursors.h"
#include "viewer/widgets/image_view.h"
#include "viewer/widgets/key_filters.h"
#include "viewer/window/main_window.h"
#include "viewer/widgets/message_boxes.h"
#include "viewer/widgets/mouse_relay.h"
#include "viewer/logic/number_text.h"
#include "viewer/widgets/zoom_panel.h"

void TMainWSQForm::connect_zoom_panel() {
  ZoomPanel* panel = ZoomPanelControl;
  const auto on_click = [this](QToolButton* button, void (TMainWSQForm::*handler)()) {
    connect(button, &QToolButton::clicked, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
  };
  on_click(panel->ZoomInButton, &TMainWSQForm::ZoomInButtonClick);
  on_click(panel->ZoomOutButton, &TMainWSQForm::ZoomOutButtonClick);
  on_click(panel->FitViewButton, &TMainWSQForm::FitViewButtonClick);
  on_click(panel->RestoreOriginalSizeButton, &TMainWSQForm::RestoreOriginalSizeButtonClick);
  on_click(panel->MoreLessButton, &TMainWSQForm::MoreLessButtonClick);
  install_key_rule(panel->ZoomScaleEdit, decimal_key_allowed);
  connect(panel->ZoomScaleEdit, &QLineEdit::textChanged, this, [this] { Guarded([this] { ZoomScaleEditChange(); }); });
  connect(panel->ZoomTrackBar, &QSlider::valueChanged, this, [this] { Guarded([this] { ZoomTrackBarChange(); }); });
  relay_mouse(OutputImage, {[this](Qt::MouseButton b, QPoint p) { Guarded([=, this] { OutputImageMouseDown(b, p); }); },
                            [this](Qt::MouseButtons b, QPoint p) { Guarded([=, this] { OutputImageMouseMove(b, p); }); },
                            [this](Qt::MouseButton b, QPoint p) { Guarded([=, this] { OutputImageMouseUp(b, p); }); }});
  const MouseHandlers panel_handlers{
      [this](Qt::MouseButton b, QPoint p) { Guarded([=, this] { ZoomPanelMouseDown(b, p); }); },
      [this](Qt::MouseButtons b, QPoint p) { Guarded([=, this] { ZoomPanelMouseMove(b, p); }); },
      [this](Qt::MouseButton b, QPoint p) { Guarded([=, this] { ZoomPanelMouseUp(b, p); }); }};
  relay_mouse(panel, panel_handlers);
  // Dragging the scale label drags the panel.
  relay_mouse(panel->ZoomScaleLabel, panel_handlers);
  key_forwarding_controls_ = {panel->ZoomInButton,    panel->ZoomOutButton,
                              panel->FitViewButton,   panel->RestoreOriginalSizeButton,
                              panel->ZoomSelectedPointCheckBox, panel->ZoomScaleEdit,
                              panel->ZoomTrackBar,    panel->MoreLessButton};
  for (QWidget* control : key_forwarding_controls_) control->installEventFilter(this);
}

void TMainWSQForm::start_zoom_state() {
  ZoomScale = 1.3;
  ZoomPanelControl->ZoomScaleEdit->setText("1.3");
  ZoomPanelControl->ZoomTrackBar->setValue(track_position_for_scale(ZoomScale));
  ZoomSettingsOpen = false;
  ZoomPanelControl->set_settings_open(false);
  ZoomPointArmed = false;
  set_image_cursor(HandGrabber);
  set_panel_cursor(HandGrabber);
}

void TMainWSQForm::set_image_cursor(int slot) { OutputImage->setCursor(ScreenCursor(slot)); }

void TMainWSQForm::set_panel_cursor(int slot) { ZoomPanelControl->setCursor(ScreenCursor(slot)); }

void TMainWSQForm::ZoomInButtonClick() {
  const ViewRect view = ImageRect();
  if (!OutputImage->hasPicture() || !can_zoom_in(view.width, view.height, ZoomScale)) return;
  if (ZoomPanelControl->ZoomSelectedPointCheckBox->isChecked()) {
    ZoomPointOut = false;
    ZoomPointArmed = true;
    set_image_cursor(ZoomInCursor);
    return;
  }
  set_image_cursor(HandGrabber);
  SetImageRect(zoomed_in(view, ZoomScale));
  RenderView();
}

void TMainWSQForm::ZoomOutButtonClick() {
  const ViewRect view = ImageRect();
  if (!OutputImage->hasPicture() || !can_zoom_out(view.width, view.height, ZoomScale)) return;
  if (ZoomPanelControl->ZoomSelectedPointCheckBox->isChecked()) {
    ZoomPointOut = true;
    ZoomPointArmed = true;
    set_image_cursor(ZoomOutCursor);
    return;
  }
  set_image_cursor(HandGrabber);
  SetImageRect(zoomed_out(view, ZoomScale));
  RenderView();
}

void TMainWSQForm::FitViewButtonClick() {
  SetImageRect(fit_view(ImageWidth, ImageHeight, AspectRatio, ProcessedImageScrollBox->width(),
                        ProcessedImageScrollBox->height()));
  RenderView();
}

void TMainWSQForm::RestoreOriginalSizeButtonClick() {
  OutputImage->resize(ImageWidth, ImageHeight);
  CenterView();
}

void TMainWSQForm::MoreLessButtonClick() {
  ZoomSettingsOpen = !ZoomSettingsOpen;
  ZoomPanelControl->set_settings_open(ZoomSettingsOpen);
  keep_zoom_panel_inside();
  ZoomPanelControl->setFocus();
}

void TMainWSQForm::ZoomScaleEditEnter() {
  const QString text = ZoomPanelControl->ZoomScaleEdit->text();
  if (!text.isEmpty()) SavedZoomScale = static_cast<double>(parse_real(text));
}

void TMainWSQForm::ZoomScaleEditExit() {
  QLineEdit* edit = ZoomPanelControl->ZoomScaleEdit;
  if (edit->text().isEmpty()) edit->setText(shortest_real_text(SavedZoomScale));
}

void TMainWSQForm::ZoomScaleEditChange() {
  QLineEdit* edit = ZoomPanelControl->ZoomScaleEdit;
  if (edit->text().isEmpty()) return;
  if (parse_real(edit->text()) < 1) {
    boxes_.show_message(this, "Zoom scale must be bigger than 1.0");
    edit->setText(shortest_real_text(SavedZoomScale));
  }
  if (parse_real(edit->text()) > 2) {
    boxes_.show_message(this, "Zoom scale must be less than 2.0");
    edit->setText(shortest_real_text(SavedZoomScale));
  }
  ZoomPanelControl->ZoomTrackBar->setValue(track_position_for_scale(parse_real(edit->text())));
  ZoomScale = static_cast<double>(parse_real(edit->text()));
}

void TMainWSQForm::ZoomTrackBarChange() {
  QLineEdit* edit = ZoomPanelControl->ZoomScaleEdit;
  edit->setText(shortest_real_text(scale_for_track_position(ZoomPanelControl->ZoomTrackBar->value())));
  ZoomScale = static_cast<double>(parse_real(edit->text()));
}

void TMainWSQForm::OutputImageMouseDown(Qt::MouseButton, QPoint point) {
  set_image_cursor(HandGrabberFist);
  if (!ZoomPanelControl->ZoomSelectedPointCheckBox->isChecked()) return;
  if (ZoomPointArmed) {
    const ViewRect view = ImageRect();
    PointFractionXY = point_fraction(point.x(), point.y(), view.width, view.height);
    SetImageRect(zoomed_about_point(view, ZoomScale, ZoomPointOut, PointFractionXY,
                                    ProcessedImageScrollBox->width(), ProcessedImageScrollBox->height()));
    RenderView();
  }
  ZoomPointArmed = false;
}

void TMainWSQForm::OutputImageMouseMove(Qt::MouseButtons buttons, QPoint point) {
  const bool left_down = buttons.testFlag(Qt::LeftButton);
  if (left_down && !Dragging) {
    Dragging = true;
    DragStart = point;
  }
  if (!left_down) Dragging = false;
  if (Dragging && !ZoomPointArmed) OutputImage->move(OutputImage->pos() + (point - DragStart));
}

void TMainWSQForm::OutputImageMouseUp(Qt::MouseButton, QPoint) { set_image_cursor(HandGrabber); }

// A press starts a panel drag once the mouse has moved past the platform's
// drag distance with the button held.
void TMainWSQForm::ZoomPanelMouseDown(Qt::MouseButton, QPoint point) {
  set_panel_cursor(HandGrabberFist);
  panel_pressed_ = true;
  PanelDragStart = point;
}

void TMainWSQForm::ZoomPanelMouseMove(Qt::MouseButtons buttons, QPoint point) {
  if (panel_pressed_ && buttons != Qt::NoButton && ZoomPanelControl->Tag == 0 &&
      (point - PanelDragStart).manhattanLength() >= QApplication::startDragDistance())
    ZoomPanelControl->Tag = 1;
  if (ZoomPanelControl->Tag == 1) {
    ZoomPanelControl->move(ZoomPanelControl->pos() + (point - PanelDragStart));
    keep_zoom_panel_inside();
  }
}

void TMainWSQForm::ZoomPanelMouseUp(Qt::MouseButton, QPoint) {
  ZoomPanelControl->Tag = 0;
  panel_pressed_ = false;
  set_panel_cursor(HandGrabber);
}
