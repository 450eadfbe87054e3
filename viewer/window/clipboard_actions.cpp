#include "viewer/window/clipboard_actions.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>

#include "viewer/widgets/image_view.h"
#include "viewer/window/main_window.h"

namespace {

QImage clipboard_image() { return QGuiApplication::clipboard()->image(); }

// Asks only whether an image is offered, without fetching and decoding it.
bool clipboard_has_image() {
  const QMimeData* offered = QGuiApplication::clipboard()->mimeData();
  return offered && offered->hasImage();
}

void menu_edit_click(TMainWSQForm& window) {
  window.MenuPaste->setEnabled(clipboard_has_image());
  window.MenuCopy->setEnabled(window.OutputImage->hasPicture());
}

void menu_copy_click(TMainWSQForm& window) {
  if (!window.WorkingBitmap.isNull()) QGuiApplication::clipboard()->setImage(window.WorkingBitmap);
}

void menu_paste_click(TMainWSQForm& window) {
  const QImage pasted = clipboard_image();
  if (pasted.isNull()) return;
  window.WorkingBitmap = pasted.convertToFormat(QImage::Format_RGB888);
  window.ImageWidth = window.WorkingBitmap.width();
  window.ImageHeight = window.WorkingBitmap.height();
  window.AspectRatio = static_cast<double>(window.ImageWidth) / window.ImageHeight;
  window.ShownFileName.clear();
  window.ShownDepth = pasted.depth();
  window.ShownPpi = -1;
  window.OutputImage->resize(window.ImageWidth, window.ImageHeight);
  window.SetStatusText(QStringLiteral("   Image info: width = %1, height = %2")
                           .arg(window.OutputImage->width())
                           .arg(window.OutputImage->height()));
  window.CenterView();
}

}  // namespace

void ConnectClipboard(TMainWSQForm& window) {
  window.OnMenuEditClick = [&window] { menu_edit_click(window); };
  window.OnMenuCopyClick = [&window] { menu_copy_click(window); };
  window.OnMenuPasteClick = [&window] { menu_paste_click(window); };
  QObject::connect(window.MenuEdit, &QMenu::aboutToHide, &window, [&window] {
    window.MenuCopy->setEnabled(true);
    window.MenuPaste->setEnabled(true);
  });
}
