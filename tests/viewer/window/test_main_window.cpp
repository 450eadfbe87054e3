// The main window: information line, open flow, command-line open, drops.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QStatusBar>

#include "tests/viewer/test_main_window_helpers.h"
#include "viewer/logic/dialog_filters.h"
#include "viewer/logic/readable_extensions.h"
#include "viewer/widgets/image_view.h"
#include "viewer/widgets/zoom_panel.h"

namespace {

void open_file(TMainWSQForm& form, const QString& path) {
  form.ReadFromOpenDialog = true;
  form.OpenDialogFileName = path;
  form.OpenPicture1Accept();
}

}  // namespace

TEST(MainWindow, ComponentsCarryTheirNames) {
  WindowUnderTest window;
  TMainWSQForm& form = *window.form;
  for (const char* name : {"ProcessedImageScrollBox", "OutputImage", "ZoomPanel", "StatusBar", "ZoomInButton",
                           "ZoomOutButton", "FitViewButton", "RestoreOriginalSizeButton", "ZoomSelectedPointCheckBox",
                           "ZoomScaleEdit", "ZoomTrackBar", "MoreLessButton", "ZoomScaleLabel"})
    EXPECT_NE(form.findChild<QWidget*>(name), nullptr) << name;
  for (const char* name : {"MenuOpenPicture", "MenuSavePicture", "Exit1", "MenuCopy", "MenuPaste", "MenuZoomToolbar",
                           "MenuFileConverter", "MenuAbout"})
    EXPECT_NE(form.findChild<QAction*>(name), nullptr) << name;
  EXPECT_EQ(form.windowTitle(), "Tessaron DIZ udizev");
  EXPECT_EQ(form.ProcessedImageScrollBox->geometry(), QRect(10, 8, 493, 479));
  EXPECT_EQ(form.MenuOpenPicture->shortcut(), QKeySequence("Ctrl+O"));
  EXPECT_EQ(form.Exit1->statusTip(), "Quits the application");
  EXPECT_EQ(form.MenuCopy->toolTip(), "Copy");
  EXPECT_TRUE(form.ZoomPanelControl->isHidden());
}

TEST(DialogFilters, OpenAndSaveEntries) {
  const QString open = open_dialog_filter_text();
  EXPECT_TRUE(open.startsWith("All images|*.wsq;*.bmp;*.tiff;"));
  EXPECT_TRUE(open.contains(";*.scr; *.rpf;"));
  EXPECT_TRUE(open.contains("|Compuserve Graphic Interchange Format(*.gif)|*gif|"));
  EXPECT_TRUE(open.contains("|Amiga Bitmap Graphic (8 bits)|*.iff|"));
  EXPECT_TRUE(open.endsWith("|Windows enhanced meta files (*.emf)|*.emf|"));
  EXPECT_EQ(open.count('|'), 86);
  EXPECT_EQ(save_dialog_filter_text(),
            "WSQ Files (*.wsq)|*.wsq|Windows BMP (*.bmp)|*.bmp|TIFF Files (*.tif)|*.tif|PNG Files (*.png)|*.png|"
            "JPEG Files (*.jpg)|*.jpg|Targa Files (*.tga)|*.tga|RGB Files (*.rgb)|*.rgb|");
  const QStringList filters = qt_name_filters(open);
  ASSERT_EQ(filters.size(), 43);
  EXPECT_TRUE(filters[0].startsWith("All images (*.wsq *.bmp *.tiff"));
  EXPECT_EQ(filters[1], "FBI Wavelet Scalar Quantization (*.wsq)");
  EXPECT_EQ(filters[39], "Amiga Bitmap Graphic (8 bits) (*.iff)");
}

TEST(ReadableExtensions, RegistryAndJpegLists) {
  for (const char* extension : {".wsq", ".tif", ".tiff", ".rgba", ".jfif", ".iff", ".emf", ".bw"})
    EXPECT_TRUE(is_registry_extension(extension)) << extension;
  for (const char* extension : {".jpg", ".jpeg", ".jpe"}) {
    EXPECT_TRUE(is_jpeg_extension(extension));
    EXPECT_FALSE(is_registry_extension(extension));
    EXPECT_TRUE(is_readable_extension(extension));
  }
  EXPECT_FALSE(is_readable_extension(".txt"));
  EXPECT_FALSE(is_readable_extension(".WSQ"));  // callers lower-case first
  EXPECT_FALSE(is_readable_extension(""));
}

TEST(MainWindow, PngLineHasTheSizeAndTheRecordedResolution) {
  WindowUnderTest window;
  // Qt's writer records the image's default 96 dpi.
  ASSERT_TRUE(test_image(120, 80).save(window.file("p.png")));
  open_file(*window.form, window.file("p.png"));
  EXPECT_TRUE(window.boxes.shown.empty());
  EXPECT_EQ(window.form->StatusText(), "   Image info: width = 120, height = 80, dpi = 96");
  EXPECT_EQ(window.form->ImageRect(), (ViewRect{(493 - 120) / 2, (479 - 80) / 2, 120, 80}));
  EXPECT_EQ(window.form->WorkingBitmap.format(), QImage::Format_RGB888);
  EXPECT_DOUBLE_EQ(window.form->AspectRatio, 1.5);
  EXPECT_EQ(window.form->windowTitle(), "p.png - Tessaron DIZ udizev");
}

TEST(MainWindow, WsqLineCarriesResolutionDepthAndComment) {
  WindowUnderTest window;
  ASSERT_EQ("", write_test_wsq(window.file("A.WSQ"), 100, 80, 500, "scan one"));
  open_file(*window.form, window.file("A.WSQ"));
  ASSERT_TRUE(window.boxes.shown.empty()) << window.boxes.shown[0].text.toStdString();
  EXPECT_EQ(window.form->StatusText(), "   Image info: width = 100, height = 80, dpi = 500, depth = 8, Comments: scan one");
}

TEST(MainWindow, WsqWithoutResolutionSaysDpiUnknown) {
  WindowUnderTest window;
  ASSERT_EQ("", write_test_wsq(window.file("b.wsq"), 90, 70, -1, nullptr));
  open_file(*window.form, window.file("b.wsq"));
  ASSERT_TRUE(window.boxes.shown.empty()) << window.boxes.shown[0].text.toStdString();
  // Without a comment of its own, the file's last comment is its attribute record.
  EXPECT_TRUE(window.form->StatusText().startsWith(
      "   Image info: width = 90, height = 70, dpi unknown , depth = 8, Comments: NIST_COM"))
      << window.form->StatusText().toStdString();
}

TEST(MainWindow, UnreadableExtensionKeepsTheImageAndRebuildsItsLine) {
  WindowUnderTest window;
  ASSERT_EQ("", write_test_wsq(window.file("c.wsq"), 80, 66, 500, "x"));
  open_file(*window.form, window.file("c.wsq"));
  window.form->SetImageRect({0, 0, 80, 60});
  QFile text(window.file("notes.txt"));
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.close();
  open_file(*window.form, window.file("notes.txt"));
  EXPECT_TRUE(window.boxes.shown.empty());
  EXPECT_EQ(window.form->CurrentFileName, window.file("notes.txt"));
  EXPECT_EQ(window.form->StatusText(), "   Image info: width = 80, height = 66, dpi = 500");
  EXPECT_EQ(window.form->ImageRect().left, (493 - 80) / 2);
}

TEST(MainWindow, UnreadableExtensionWithoutImageShowsTheErrorBox) {
  WindowUnderTest window;
  open_file(*window.form, window.file("notes.txt"));
  ASSERT_EQ(window.boxes.shown.size(), 1u);
  EXPECT_EQ(window.boxes.shown[0].caption, "DIZ Udizev Error");
  EXPECT_TRUE(window.form->WorkingBitmap.isNull());
  EXPECT_EQ(window.form->ImageWidth, 0);
}

TEST(MainWindow, CorruptFileShowsTheLibraryMessageAndKeepsThePreviousImage) {
  WindowUnderTest window;
  ASSERT_TRUE(test_image(50, 40).save(window.file("good.png")));
  open_file(*window.form, window.file("good.png"));
  QFile bad(window.file("bad.wsq"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("not a wsq file at all");
  bad.close();
  open_file(*window.form, window.file("bad.wsq"));
  ASSERT_EQ(window.boxes.shown.size(), 1u);
  EXPECT_EQ(window.boxes.shown[0].caption, "DIZ Udizev Error");
  EXPECT_EQ(window.boxes.shown[0].flags, MessageBoxError);
  EXPECT_EQ(window.form->WorkingBitmap.size(), QSize(50, 40));
  EXPECT_EQ(window.form->StatusText(), "   Image info: width = 50, height = 40, dpi = 96");
  EXPECT_EQ(window.form->CurrentFileName, window.file("bad.wsq"));
}

TEST(MainWindow, MissingFileIsReportedByTheExceptionReport) {
  WindowUnderTest window;
  open_file(*window.form, window.file("missing.png"));
  ASSERT_EQ(window.boxes.shown.size(), 1u);
  EXPECT_EQ(window.boxes.shown[0].caption, "WSQ file viewer");
  EXPECT_TRUE(window.boxes.shown[0].text.contains("missing.png"));
}

TEST(MainWindow, FormatsWithoutAReaderAreRefusedByName) {
  WindowUnderTest window;
  QFile file(window.file("drawing.wmf"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("x");
  file.close();
  open_file(*window.form, window.file("drawing.wmf"));
  ASSERT_EQ(window.boxes.shown.size(), 1u);
  EXPECT_TRUE(window.boxes.shown[0].text.contains("drawing.wmf"));
  EXPECT_TRUE(window.boxes.shown[0].text.contains("cannot be read"));
}

TEST(MainWindow, JpegOpensThroughQt) {
  WindowUnderTest window;
  ASSERT_TRUE(test_image(33, 22).save(window.file("j.JPG"), "jpeg"));
  open_file(*window.form, window.file("j.JPG"));
  EXPECT_TRUE(window.boxes.shown.empty());
  EXPECT_EQ(window.form->StatusText(), "   Image info: width = 33, height = 22, dpi = 96");
}

TEST(MainWindow, BrowseHookRunsOnlyWhenAttended) {
  WindowUnderTest window;
  ASSERT_TRUE(test_image(10, 10).save(window.file("d.png")));
  int builds = 0;
  window.form->OnBuildBrowseList = [&] { ++builds; };
  open_file(*window.form, window.file("d.png"));
  EXPECT_EQ(builds, 1);
  EXPECT_EQ(window.form->BrowseDirectory, window.file(""));
  window.form->OpenForConversion(window.file("d.png"));
  EXPECT_EQ(builds, 1);
}

TEST(MainWindow, ConverterOpenReportsInsteadOfShowing) {
  WindowUnderTest window;
  const FlowOutcome missing = window.form->OpenForConversion(window.file("nothing.png"));
  EXPECT_EQ(missing.kind, FlowOutcome::Kind::Raised);
  EXPECT_TRUE(window.boxes.shown.empty());
  EXPECT_TRUE(window.form->OpenDialogFileName.isEmpty());
  ASSERT_TRUE(test_image(12, 10).save(window.file("e.png")));
  EXPECT_TRUE(window.form->OpenForConversion(window.file("e.png")).ok());
  EXPECT_FALSE(window.form->Unattended);
}

TEST(MainWindow, CommandLineOpensBeforeShowing) {
  TempDir folder;
  ASSERT_TRUE(test_image(70, 20).save(QString::fromStdString(folder.file("start.png"))));
  WindowUnderTest window(QString::fromStdString(folder.file("start.png")));
  EXPECT_EQ(window.form->StatusText(), "   Image info: width = 70, height = 20, dpi = 96");
  EXPECT_FALSE(window.form->Unattended);
  EXPECT_TRUE(window.form->OutputImage->hasPicture());
}

TEST(MainWindow, CommandLineWithOtherExtensionOpensEmpty) {
  WindowUnderTest window("/tmp/readme.txt");
  EXPECT_EQ(window.form->CurrentFileName, "/tmp/readme.txt");
  EXPECT_TRUE(window.boxes.shown.empty());
  EXPECT_FALSE(window.form->OutputImage->hasPicture());
}

TEST(MainWindow, SaveEnabledOnlyWithAPicture) {
  WindowUnderTest window;
  window.form->MenuFileClick();
  EXPECT_FALSE(window.form->MenuSavePicture->isEnabled());
  ASSERT_TRUE(test_image(10, 10).save(window.file("f.png")));
  open_file(*window.form, window.file("f.png"));
  window.form->MenuFileClick();
  EXPECT_TRUE(window.form->MenuSavePicture->isEnabled());
}

TEST(MainWindow, SaveShortcutFollowsThePictureWithTheMenuClosed) {
  WindowUnderTest window;
  window.form->MenuFileClick();
  ASSERT_FALSE(window.form->MenuSavePicture->isEnabled());
  ASSERT_TRUE(test_image(10, 10).save(window.file("s.png")));
  open_file(*window.form, window.file("s.png"));
  EXPECT_TRUE(window.form->MenuSavePicture->isEnabled());
}

TEST(MainWindow, KeysReachTheKeyHandlerOnce) {
  WindowUnderTest window;
  std::vector<int> keys;
  window.form->OnFormKeyDown = [&](int key) { keys.push_back(key); };
  window.form->show();
  window.form->activateWindow();
  QApplication::processEvents();
  QKeyEvent page_down(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
  QApplication::sendEvent(window.form.get(), &page_down);
  EXPECT_EQ(keys, std::vector<int>{34});
  window.form->MenuZoomToolbar->trigger();
  QWidget* button = window.form->findChild<QWidget*>("ZoomInButton");
  button->setFocus();
  QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
  QApplication::sendEvent(button, &home);
  EXPECT_EQ(keys, (std::vector<int>{34, 36}));
}

TEST(MainWindow, DroppedFileOpensAsFromTheOpenDialog) {
  WindowUnderTest window;
  ASSERT_TRUE(test_image(30, 15).save(window.file("g.png")));
  int builds = 0;
  window.form->OnBuildBrowseList = [&] { ++builds; };
  window.form->Unattended = true;
  window.form->OpenFileInteractively(window.file("g.png"));
  EXPECT_EQ(window.form->StatusText(), "   Image info: width = 30, height = 15, dpi = 96");
  EXPECT_EQ(builds, 1);
  EXPECT_TRUE(window.form->OpenDialogFileName.isEmpty());
}

TEST(MainWindow, ResizingRecentresTheImage) {
  WindowUnderTest window;
  ASSERT_TRUE(test_image(100, 50).save(window.file("h.png")));
  open_file(*window.form, window.file("h.png"));
  window.form->show();
  window.form->centralWidget()->resize(613, 554);
  EXPECT_EQ(window.form->ProcessedImageScrollBox->size(), QSize(593, 519));
  EXPECT_EQ(window.form->ImageRect().left, (593 - 100) / 2);
}
