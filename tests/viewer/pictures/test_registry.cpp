// The picture registry, the readers behind it and the bitmap bridge.
#include <gtest/gtest.h>

#include <QFile>

#include "tests/support/files.h"
#include "tests/viewer/test_main_window_helpers.h"
#include "viewer/pictures/picture_readers.h"
#include "viewer/pictures/picture_registry.h"
#include "viewer/pictures/qt_bitmap_bridge.h"
#include "viewer/pictures/toolkit_error.h"

namespace {

PictureReader fixed(QColor colour) {
  return [colour](const QString&) {
    QImage image(1, 1, QImage::Format_RGB888);
    image.fill(colour);
    return image;
  };
}

}  // namespace

TEST(PictureRegistry, LatestRegistrationWins) {
  TempDir folder;
  const QString file = QString::fromStdString(folder.file("x.ABC"));
  QFile touch(file);
  ASSERT_TRUE(touch.open(QIODevice::WriteOnly));
  touch.close();
  PictureRegistry registry;
  registry.register_reader("abc", "First", fixed(Qt::red));
  registry.register_reader("ABC", "Second", fixed(Qt::blue));
  EXPECT_EQ(registry.description(".abc"), "Second");
  EXPECT_EQ(registry.load(".Abc", file).pixelColor(0, 0), QColor(Qt::blue));
}

TEST(PictureRegistry, UnknownExtensionAndMissingFileRaise) {
  PictureRegistry registry;
  registry.register_reader("abc", "First", fixed(Qt::red));
  EXPECT_THROW(registry.load(".xyz", "/tmp/x.xyz"), ToolkitError);
  EXPECT_THROW(registry.load(".abc", "/nonexistent/folder/x.abc"), ToolkitError);
}

TEST(PictureRegistry, WindowRegistersTheProgramReaders) {
  WindowUnderTest window;
  const PictureRegistry& registry = window.form->Registry();
  EXPECT_EQ(registry.description("wsq"), "WSQFile");
  EXPECT_EQ(registry.description("tiff"), "TIFFFile");
  EXPECT_EQ(registry.description("jpeg"), "JPEGFile");
  EXPECT_EQ(registry.description("rgb"), "RGBFile");
  EXPECT_EQ(registry.description("rgba"), "RGBFile");
  EXPECT_EQ(registry.description("iff"), "IFFFile");
  EXPECT_EQ(registry.description("bmp"), "");
}

TEST(PictureReaders, WsqReaderFillsTheLastImageInfo) {
  test_application();
  TempDir folder;
  const QString file = QString::fromStdString(folder.file("r.wsq"));
  ASSERT_EQ("", write_test_wsq(file, 80, 70, 300, "hello"));
  ImageInfo last;
  const QImage image = TWSQImage(last).load(file);
  EXPECT_EQ(image.size(), QSize(80, 70));
  EXPECT_EQ(last.ppi, 300);
  EXPECT_EQ(last.depth_or_quality, 8u);
  EXPECT_EQ(last.comment, "hello");
}

TEST(PictureReaders, FailedReadGivesAnEmptyImage) {
  TempDir folder;
  const std::string file = folder.file("broken.png");
  write_file_bytes(file, {1, 2, 3});
  EXPECT_TRUE(LibraryImageReader().load(QString::fromStdString(file)).isNull());
  EXPECT_NE(get_last_error(), NoError);
}

TEST(PictureReaders, TiffReaderCopiesItsOptions) {
  test_application();
  TempDir folder;
  const QString file = QString::fromStdString(folder.file("t.tiff"));
  ImageRecord record;
  record.width = 8;
  record.height = 4;
  record.bits_per_pixel = 24;
  ASSERT_EQ(image_allocate(record), NoError);
  TiffOptions written;
  written.compression = 13;
  written.predictor = 2;
  ASSERT_EQ(save_image(record, file.toStdString(), nullptr, &written), NoError) << get_last_error_message();
  TiffOptions last;
  last.predictor = 9;
  EXPECT_EQ(TTIFFImage(last).load(file).size(), QSize(8, 4));
  EXPECT_EQ(last.compression, 13);
  // The predictor is not stored in the file; the read reports 0.
  EXPECT_EQ(last.predictor, 0);
}

TEST(ToolkitReaders, AliasExtensionsAndQtFormatsOpen) {
  WindowUnderTest window;
  const QImage image = test_image(21, 13);
  ASSERT_TRUE(image.save(window.file("a.dib"), "bmp"));
  ASSERT_TRUE(image.save(window.file("a.ppm"), "ppm"));
  for (const char* name : {"a.dib", "a.ppm"}) {
    window.form->ReadFromOpenDialog = true;
    window.form->OpenDialogFileName = window.file(name);
    window.form->OpenPicture1Accept();
    ASSERT_TRUE(window.boxes.shown.empty()) << name << ": " << window.boxes.shown[0].text.toStdString();
    EXPECT_EQ(window.form->WorkingBitmap.size(), QSize(21, 13)) << name;
    EXPECT_EQ(window.form->WorkingBitmap.pixelColor(5, 7), image.pixelColor(5, 7)) << name;
  }
}

TEST(BitmapBridge, PalettedBottomUpRows) {
  Bitmap bitmap;
  bitmap.header.biWidth = 3;
  bitmap.header.biHeight = 2;
  bitmap.header.biBitCount = 8;
  bitmap.colour_table = {{10, 20, 30, 0}, {200, 100, 50, 0}};
  bitmap.bits = {0, 1, 0, 0, /* top row: */ 1, 1, 0, 0};
  const QImage image = qimage_from_bitmap(bitmap);
  ASSERT_EQ(image.size(), QSize(3, 2));
  EXPECT_EQ(image.pixelColor(0, 0), QColor(50, 100, 200));
  EXPECT_EQ(image.pixelColor(2, 0), QColor(30, 20, 10));
  EXPECT_EQ(image.pixelColor(1, 1), QColor(50, 100, 200));
}

TEST(BitmapBridge, FourBitAndTopDownRows) {
  Bitmap bitmap;
  bitmap.header.biWidth = 3;
  bitmap.header.biHeight = -1;
  bitmap.header.biBitCount = 4;
  bitmap.colour_table.resize(16);
  bitmap.colour_table[2] = {0, 0, 255, 0};
  bitmap.bits = {0x02, 0x20, 0, 0};
  const QImage image = qimage_from_bitmap(bitmap);
  EXPECT_EQ(image.pixelColor(0, 0), QColor(0, 0, 0));
  EXPECT_EQ(image.pixelColor(1, 0), QColor(255, 0, 0));
  EXPECT_EQ(image.pixelColor(2, 0), QColor(255, 0, 0));
}

TEST(BitmapBridge, MalformedBitmapsGiveANullImage) {
  Bitmap bitmap;
  bitmap.header.biWidth = 4;
  bitmap.header.biHeight = 4;
  bitmap.header.biBitCount = 24;
  bitmap.bits.resize(47);  // one byte short of four 12-byte rows
  EXPECT_TRUE(qimage_from_bitmap(bitmap).isNull());
  bitmap.bits.resize(48);
  EXPECT_FALSE(qimage_from_bitmap(bitmap).isNull());
  bitmap.header.biBitCount = 7;
  EXPECT_TRUE(qimage_from_bitmap(bitmap).isNull());
  bitmap.header.biBitCount = 24;
  bitmap.header.biWidth = 0;
  EXPECT_TRUE(qimage_from_bitmap(bitmap).isNull());
}

TEST(BitmapBridge, QImageBecomesA24BitBottomUpBitmap) {
  QImage image(2, 2, QImage::Format_RGB888);
  image.setPixelColor(0, 0, QColor(1, 2, 3));
  image.setPixelColor(1, 1, QColor(4, 5, 6));
  const BitmapHandle bitmap = bitmap_from_qimage(image);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->header.biBitCount, 24);
  EXPECT_EQ(bitmap->header.biHeight, 2);
  ASSERT_EQ(bitmap->bits.size(), 16u);
  // Bottom row first, blue green red, rows padded to 8 bytes.
  EXPECT_EQ(bitmap->bits[3], 6);
  EXPECT_EQ(bitmap->bits[5], 4);
  EXPECT_EQ(bitmap->bits[8], 3);
  EXPECT_EQ(bitmap->bits[10], 1);
  EXPECT_EQ(qimage_from_bitmap(*bitmap).pixelColor(1, 1), QColor(4, 5, 6));
  EXPECT_FALSE(bitmap_from_qimage(QImage()));
}
