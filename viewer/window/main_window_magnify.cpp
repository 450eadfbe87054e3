// Zoom beyond the zoom panel: the wheel with Ctrl, Ctrl++ / Ctrl+= / Ctrl+-,
// Ctrl+0 and the arrow keys, and keeping the panel inside the client area.
#include <QAction>
#include <QMenu>

#include "viewer/logic/magnify_math.h"
#include "viewer/logic/panel_placement.h"
#include "viewer/widgets/image_view.h"
#include "viewer/widgets/scroll_box.h"
#include "viewer/widgets/zoom_panel.h"
#include "viewer/window/main_window.h"

void TMainWSQForm::build_view_menu() {
  NameView->addSeparator();
  MenuZoomIn = NameView->addAction("Zoom &in");
  MenuZoomIn->setObjectName("MenuZoomIn");
  MenuZoomIn->setShortcuts({QKeySequence("Ctrl++"), QKeySequence("Ctrl+=")});
  MenuZoomOut = NameView->addAction("Zoom &out");
  MenuZoomOut->setObjectName("MenuZoomOut");
  MenuZoomOut->setShortcut(QKeySequence("Ctrl+-"));
  MenuActualSize = NameView->addAction("&Actual pixels (1:1)");
  MenuActualSize->setObjectName("MenuActualSize");
  MenuActualSize->setShortcut(QKeySequence("Ctrl+0"));
  NameView->addSeparator();
  MenuImageProperties = NameView->addAction("Image &properties...");
  MenuImageProperties->setObjectName("MenuImageProperties");
  MenuImageProperties->setShortcut(QKeySequence("Ctrl+I"));
  for (QAction* action : {MenuZoomIn, MenuZoomOut, MenuActualSize, MenuImageProperties})
    action->setShortcutContext(Qt::WindowShortcut);
  connect(MenuZoomIn, &QAction::triggered, this, [this] { Guarded([this] { ZoomStepAboutCentre(true); }); });
  connect(MenuZoomOut, &QAction::triggered, this, [this] { Guarded([this] { ZoomStepAboutCentre(false); }); });
  connect(MenuActualSize, &QAction::triggered, this, [this] { Guarded([this] { ShowActualSize(); }); });
  connect(MenuImageProperties, &QAction::triggered, this, [this] { Guarded([this] { MenuImagePropertiesClick(); }); });
  auto* box = static_cast<ScrollBox*>(ProcessedImageScrollBox);
  connect(box, &ScrollBox::zoomWheel, this, [this](int notches, QPoint at) {
    Guarded([=, this] {
      for (int i = 0; i < std::abs(notches); ++i) ZoomStepAbout(notches > 0, at);
    });
  });
}

double TMainWSQForm::fit_magnification() const {
  const ViewRect fit = fit_view(ImageWidth, ImageHeight, AspectRatio, ProcessedImageScrollBox->width(),
                                ProcessedImageScrollBox->height());
  return magnification(fit, ImageWidth);
}

void TMainWSQForm::ZoomStepAbout(bool zoom_in, QPoint anchor) {
  if (!OutputImage->hasPicture()) return;
  const double factor = zoom_in ? ZoomScale : 1 / ZoomScale;
  const ViewRect view = ImageRect();
  const ViewRect next =
      stepped_about(view, ImageWidth, ImageHeight, factor, fit_magnification(), anchor.x(), anchor.y());
  if (next == view) return;
  SetImageRect(next);
  RenderView();
}

void TMainWSQForm::ZoomStepAboutCentre(bool zoom_in) {
  ZoomStepAbout(zoom_in, QPoint(ProcessedImageScrollBox->width() / 2, ProcessedImageScrollBox->height() / 2));
}

void TMainWSQForm::ShowActualSize() {
  if (!OutputImage->hasPicture()) return;
  SetImageRect(scaled_about(ImageRect(), ImageWidth, ImageHeight, 1.0, ProcessedImageScrollBox->width() / 2,
                            ProcessedImageScrollBox->height() / 2));
  RenderView();
}

void TMainWSQForm::PanBy(int steps_x, int steps_y) {
  if (!OutputImage->hasPicture()) return;
  const QPoint by(steps_x * pan_step(ProcessedImageScrollBox->width()),
                  steps_y * pan_step(ProcessedImageScrollBox->height()));
  OutputImage->move(OutputImage->pos() - by);
}

void TMainWSQForm::keep_zoom_panel_inside() {
  const QRect area = client_->rect();
  const QRect panel = ZoomPanelControl->geometry();
  const QPoint place = kept_inside(panel.topLeft(), panel.size(), area.size());
  if (place != panel.topLeft()) ZoomPanelControl->move(place);
}
