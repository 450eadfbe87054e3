// The resolution every format records, as the information line and the
// image properties show it. The files are written by the image library.
#include <gtest/gtest.h>

#include <QAction>
#include <QTableWidget>
#include <optional>

#include "tests/support/files.h"
#include "tests/viewer/test_main_window_helpers.h"
#include "viewer/dialogs/image_properties_dialog.h"
#include "viewer/pictures/jpeg_resolution.h"

namespace {

// Writes a small grey-ish picture recording ppi (none when ppi is -1) in
// the format of the file's extension; an empty text on success.
std::string write_with_ppi(const QString& path, int32_t ppi) {
  ImageRecord record;
  record.width = 24;
  record.height = 18;
  record.bits_per_pixel = 24;
  if (image_allocate(record) != NoError) return get_last_error_message();
  for (uint32_t y = 0; y < record.height; ++y)
    for (uint32_t x = 0; x < record.width * 3; ++x) record.row(y)[x] = static_cast<uint8_t>(x * 5 + y * 11);
  record.ppi = ppi;
  if (save_image(record, path.toStdString(), nullptr) != NoError) return get_last_error_message();
  return std::string();
}

// The Resolution row of the image properties of the shown picture.
std::optional<QString> shown_resolution(WindowUnderTest& window) {
  std::optional<QString> value;
  window.boxes.dialog_scripts.push_back([&](QDialog& dialog) {
    const QTableWidget& table = *static_cast<TImagePropertiesDialog&>(dialog).PropertiesTable;
    for (int row = 0; row < table.rowCount(); ++row)
      if (table.item(row, 0)->text() == "Resolution") value = table.item(row, 1)->text();
    dialog.accept();
  });
  window.form->MenuImageProperties->trigger();
  return value;
}

// The JFIF header: SOI, then APP0 with the given units and density.
std::vector<uint8_t> jfif_start(uint8_t units, uint16_t density) {
  const auto high = static_cast<uint8_t>(density >> 8);
  const auto low = static_cast<uint8_t>(density & 0xFF);
  return {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 2, units, high, low, high, low, 0, 0};
}

}  // namespace

TEST(Resolution, EveryFormatThatRecordsOneShowsIt) {
  WindowUnderTest window;
  for (const char* name : {"r.png", "r.tif", "r.bmp", "r.jpg"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(write_with_ppi(window.file(name), 600), "");
    window.form->OpenFileInteractively(window.file(name));
    ASSERT_TRUE(window.boxes.shown.empty()) << window.boxes.shown[0].text.toStdString();
    EXPECT_EQ(window.form->StatusText(), "   Image info: width = 24, height = 18, dpi = 600");
    EXPECT_EQ(shown_resolution(window), "600 ppi");
  }
}

TEST(Resolution, AFileWithoutOneSaysNotRecordedAfterOneWithIt) {
  WindowUnderTest window;
  ASSERT_EQ(write_with_ppi(window.file("with.png"), 300), "");
  ASSERT_EQ(write_with_ppi(window.file("without.png"), -1), "");
  window.form->OpenFileInteractively(window.file("with.png"));
  window.form->OpenFileInteractively(window.file("without.png"));
  ASSERT_TRUE(window.boxes.shown.empty());
  EXPECT_EQ(window.form->StatusText(), "   Image info: width = 24, height = 18");
  EXPECT_EQ(shown_resolution(window), "not recorded");
  // A picture Qt reads (no resolution taken from it) after one with a resolution.
  window.form->OpenFileInteractively(window.file("with.png"));
  ASSERT_TRUE(test_image(10, 8).save(window.file("q.ppm")));
  window.form->OpenFileInteractively(window.file("q.ppm"));
  ASSERT_TRUE(window.boxes.shown.empty());
  EXPECT_EQ(window.form->StatusText(), "   Image info: width = 10, height = 8");
}

TEST(JpegResolution, JfifDensityInInchesOrCentimetres) {
  TempDir folder;
  const std::string inches = folder.file("i.jpg");
  write_file_bytes(inches, jfif_start(1, 500));
  EXPECT_EQ(jpeg_file_ppi(QString::fromStdString(inches)), 500);
  const std::string centimetres = folder.file("c.jpg");
  write_file_bytes(centimetres, jfif_start(2, 118));
  EXPECT_EQ(jpeg_file_ppi(QString::fromStdString(centimetres)), 300);
}

TEST(JpegResolution, JfifAfterAnotherSegmentIsFound) {
  TempDir folder;
  std::vector<uint8_t> bytes = {0xFF, 0xD8, 0xFF, 0xE1, 0, 6, 'E', 'x', 'i', 'f'};
  const std::vector<uint8_t> jfif = jfif_start(1, 72);
  bytes.insert(bytes.end(), jfif.begin() + 2, jfif.end());
  write_file_bytes(folder.file("e.jpg"), bytes);
  EXPECT_EQ(jpeg_file_ppi(QString::fromStdString(folder.file("e.jpg"))), 72);
}

TEST(JpegResolution, NoneWithoutAUsableDensity) {
  TempDir folder;
  const auto ppi_of = [&](const std::vector<uint8_t>& bytes) {
    write_file_bytes(folder.file("x.jpg"), bytes);
    return jpeg_file_ppi(QString::fromStdString(folder.file("x.jpg")));
  };
  EXPECT_EQ(ppi_of(jfif_start(0, 1)), -1);  // an aspect ratio only
  EXPECT_EQ(ppi_of(jfif_start(1, 0)), -1);
  std::vector<uint8_t> truncated = jfif_start(1, 500);
  truncated.resize(12);
  EXPECT_EQ(ppi_of(truncated), -1);
  EXPECT_EQ(ppi_of({0xFF, 0xD8, 0xFF, 0xC0, 0, 17}), -1);  // frame before any JFIF header
  EXPECT_EQ(ppi_of({0xFF, 0xD8, 0xFF, 0xE0, 0, 1}), -1);   // impossible length
  EXPECT_EQ(ppi_of({'P', 'N', 'G'}), -1);
  EXPECT_EQ(jpeg_file_ppi(QString::fromStdString(folder.file("missing.jpg"))), -1);
}
