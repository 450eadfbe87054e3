#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSlider>
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/qt_test_application.h"
#include "viewer/window/browse_keys.h"
#include "viewer/logic/browse_list.h"
#include "viewer/window/main_window.h"
#include "viewer/widgets/message_boxes.h"
#include "viewer/widgets/zoom_panel.h"

namespace {

constexpr int PageUp = 33, PageDown = 34, End = 35, Home = 36;

// A folder with a.bmp (a real 6 x 3 bitmap), b.wsq and c.wsq; the two WSQ
// files hold no image, so opening them shows the error box, which is enough
// to follow where the keys go.
struct BrowseKeys : ::testing::Test {
  BrowseKeys() : app(test_application()) {
    QImage(6, 3, QImage::Format_RGB888).save(path("a.bmp"), "BMP");
    write_file_bytes(dir.file("b.wsq"), {0});
    write_file_bytes(dir.file("c.wsq"), {0});
  }
  QString path(const char* name) const { return QString::fromStdString(dir.file(name)); }
  std::unique_ptr<TMainWSQForm> make_window(const QString& argument = QString()) {
    auto window = std::make_unique<TMainWSQForm>(boxes, path("viewer.ini"), argument);
    ConnectFolderBrowsing(*window, browser);
    return window;
  }
  void press(QObject* target, int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
  }

  QApplication& app;
  TempDir dir;
  ScriptedMessageBoxes boxes;
  FolderBrowser browser;
};

}  // namespace

TEST_F(BrowseKeys, PageDownAndPageUpStepThroughTheFolderWithWrapAround) {
  auto window = make_window();
  window->OpenFileInteractively(path("b.wsq"));
  EXPECT_EQ(browser.BrowseList.size(), 3u);
  EXPECT_EQ(browser.BrowseIndex, 0);
  window->FormKeyDown(PageDown);
  EXPECT_EQ(window->CurrentFileName, path("c.wsq"));
  window->FormKeyDown(PageDown);
  EXPECT_EQ(window->CurrentFileName, path("a.bmp"));
  EXPECT_EQ(window->StatusText(), "   Image info: width = 6, height = 3, dpi = 96");
  window->FormKeyDown(PageDown);
  EXPECT_EQ(window->CurrentFileName, path("b.wsq"));
  window->FormKeyDown(PageUp);
  EXPECT_EQ(window->CurrentFileName, path("a.bmp"));
  EXPECT_TRUE(window->OpenDialogFileName.isEmpty());
}

TEST_F(BrowseKeys, HomeAndEndOpenTheFirstAndLastEntries) {
  auto window = make_window();
  window->OpenFileInteractively(path("c.wsq"));
  window->FormKeyDown(End);
  EXPECT_EQ(window->CurrentFileName, path("a.bmp"));
  window->FormKeyDown(Home);
  EXPECT_EQ(window->CurrentFileName, path("b.wsq"));
  window->FormKeyDown(Home);
  EXPECT_EQ(window->CurrentFileName, path("b.wsq"));
}

TEST_F(BrowseKeys, KeysReachTheWindowAndThePanelControls) {
  auto window = make_window();
  window->OpenFileInteractively(path("b.wsq"));
  press(window.get(), Qt::Key_End);
  EXPECT_EQ(window->CurrentFileName, path("a.bmp"));
  press(window->ZoomPanelControl->ZoomScaleEdit, Qt::Key_Home);
  EXPECT_EQ(window->CurrentFileName, path("b.wsq"));
  press(window->ZoomPanelControl->ZoomTrackBar, Qt::Key_PageDown);
  EXPECT_EQ(window->CurrentFileName, path("c.wsq"));
  press(window.get(), Qt::Key_Left);
  EXPECT_EQ(window->CurrentFileName, path("c.wsq"));
}

TEST_F(BrowseKeys, CommandLineOpenLeavesTheKeysInactive) {
  auto window = make_window(path("a.bmp"));
  EXPECT_EQ(window->StatusText(), "   Image info: width = 6, height = 3, dpi = 96");
  window->FormKeyDown(PageDown);
  window->FormKeyDown(Home);
  EXPECT_EQ(window->CurrentFileName, path("a.bmp"));
  EXPECT_TRUE(browser.BrowseList.empty());
}

TEST_F(BrowseKeys, FilesAddedMeanwhileTakeEffectAtTheNextKey) {
  auto window = make_window();
  window->OpenFileInteractively(path("b.wsq"));
  write_file_bytes(dir.file("bb.wsq"), {0});
  window->FormKeyDown(PageDown);
  EXPECT_EQ(window->CurrentFileName, path("c.wsq"));
  EXPECT_EQ(browser.BrowseList.size(), 4u);
  window->FormKeyDown(PageUp);
  EXPECT_EQ(window->CurrentFileName, path("bb.wsq"));
}
