#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/temp_dir.h"
#include "tests/viewer/qt_test_application.h"
#include "viewer/window/clipboard_actions.h"
#include "viewer/widgets/image_view.h"
#include "viewer/window/main_window.h"
#include "viewer/widgets/message_boxes.h"

namespace {

QImage gradient(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgba(x * 2, y * 4, 90, 255));
  return image;
}

struct EditMenu : ::testing::Test {
  EditMenu() : app(test_application()), window(boxes, QString::fromStdString(dir.file("viewer.ini")), QString()) {
    ConnectClipboard(window);
    QGuiApplication::clipboard()->clear();
  }
  QApplication& app;
  TempDir dir;
  ScriptedMessageBoxes boxes;
  TMainWSQForm window;
};

}  // namespace

TEST_F(EditMenu, PasteShowsTheImageAtItsOwnSizeCentred) {
  window.LastImageInfo.ppi = 333;
  window.CurrentFileName = "kept.wsq";
  QGuiApplication::clipboard()->setImage(gradient(100, 50));
  window.MenuPasteClick();
  EXPECT_EQ(window.WorkingBitmap.size(), QSize(100, 50));
  EXPECT_EQ(window.WorkingBitmap.depth(), 24);
  EXPECT_EQ(window.WorkingBitmap.pixel(10, 5), qRgb(20, 20, 90));
  EXPECT_EQ(window.ImageWidth, 100);
  EXPECT_EQ(window.ImageHeight, 50);
  EXPECT_DOUBLE_EQ(window.AspectRatio, 2.0);
  EXPECT_EQ(window.OutputImage->size(), QSize(100, 50));
  EXPECT_EQ(window.OutputImage->x(), (window.ProcessedImageScrollBox->width() - 100) / 2);
  EXPECT_EQ(window.OutputImage->y(), (window.ProcessedImageScrollBox->height() - 50) / 2);
  EXPECT_EQ(window.StatusText(), "   Image info: width = 100, height = 50");
  EXPECT_TRUE(window.OutputImage->hasPicture());
  EXPECT_EQ(window.CurrentFileName, "kept.wsq");
  EXPECT_EQ(window.LastImageInfo.ppi, 333);
}

TEST_F(EditMenu, FitAfterAPasteKeepsItsAspectRatio) {
  QGuiApplication::clipboard()->setImage(gradient(100, 50));
  window.MenuPasteClick();
  window.FitViewButtonClick();
  const QSize fitted = window.OutputImage->size();
  EXPECT_GT(fitted.width(), 100);
  EXPECT_NEAR(static_cast<double>(fitted.width()) / fitted.height(), 2.0, 0.05);
}

TEST_F(EditMenu, PasteWithAnEmptyClipboardChangesNothing) {
  window.SetStatusText("before");
  window.MenuPasteClick();
  EXPECT_TRUE(window.WorkingBitmap.isNull());
  EXPECT_EQ(window.StatusText(), "before");
}

TEST_F(EditMenu, CopyTakesTheFullSizeImageNotTheZoomedView) {
  QGuiApplication::clipboard()->setImage(gradient(100, 50));
  window.MenuPasteClick();
  QGuiApplication::clipboard()->clear();
  window.OutputImage->resize(200, 100);
  window.RenderView();
  window.MenuCopyClick();
  const QImage copied = QGuiApplication::clipboard()->image();
  EXPECT_EQ(copied.size(), QSize(100, 50));
  EXPECT_EQ(copied.pixel(99, 49), window.WorkingBitmap.pixel(99, 49));
}

TEST_F(EditMenu, EntriesFollowImageAndClipboardWhileTheMenuIsOpen) {
  window.MenuEditClick();
  EXPECT_FALSE(window.MenuCopy->isEnabled());
  EXPECT_FALSE(window.MenuPaste->isEnabled());
  window.MenuCopyClick();
  EXPECT_TRUE(QGuiApplication::clipboard()->image().isNull());
  QGuiApplication::clipboard()->setImage(gradient(8, 8));
  window.MenuEditClick();
  EXPECT_TRUE(window.MenuPaste->isEnabled());
  window.MenuPasteClick();
  window.MenuEditClick();
  EXPECT_TRUE(window.MenuCopy->isEnabled());
}

TEST_F(EditMenu, ShortcutsStayAvailableOnceTheMenuCloses) {
  window.MenuEditClick();
  EXPECT_FALSE(window.MenuPaste->isEnabled());
  emit window.MenuEdit->aboutToHide();
  EXPECT_TRUE(window.MenuPaste->isEnabled());
  EXPECT_TRUE(window.MenuCopy->isEnabled());
}

TEST_F(EditMenu, SaveAfterAPasteWritesThePastedImage) {
  QGuiApplication::clipboard()->setImage(gradient(100, 50));
  window.MenuPasteClick();
  window.SaveDialogFileName = QString::fromStdString(dir.file("pasted"));
  window.SaveDialogFilterIndex = 2;
  window.SavePicture1Accept();
  const QImage saved(QString::fromStdString(dir.file("pasted.bmp")));
  EXPECT_EQ(saved.size(), QSize(100, 50));
  EXPECT_EQ(saved.pixel(10, 5), qRgb(20, 20, 90));
}
