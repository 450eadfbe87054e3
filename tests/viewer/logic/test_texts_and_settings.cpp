// Texts the viewer shows and settings it keeps: comments on one line, the
// load limits and their refusals, the image properties rows, recent files.
#include <gtest/gtest.h>

#include <QFile>

#include "imagelib/image_record.h"
#include "tests/support/temp_dir.h"
#include "viewer/logic/ini_file.h"
#include "viewer/logic/load_limits.h"
#include "viewer/logic/one_line.h"
#include "viewer/logic/picture_properties.h"
#include "viewer/logic/recent_files.h"

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

void touch(const QString& path) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

}  // namespace

TEST(OneLine, EachLineBreakBecomesOneSpace) {
  EXPECT_EQ(on_one_line("NIST_COM 6\nPIX_WIDTH 81\r\nPIX_HEIGHT 81\rLOSSY 1"),
            "NIST_COM 6 PIX_WIDTH 81 PIX_HEIGHT 81 LOSSY 1");
  EXPECT_EQ(on_one_line("plain"), "plain");
}

TEST(LoadLimits, ReadFromTheSettingsWithLibraryDefaults) {
  TempDir dir;
  IniFile ini(q(dir.file("v.ini")));
  LoadLimits limits = read_load_limits(ini);
  EXPECT_EQ(limits.max_pixels, kDefaultMaxPixels);
  EXPECT_EQ(limits.max_file_size, kDefaultMaxFileSize);
  ASSERT_TRUE(ini.write_string("Limits", "max_pixels", "5000"));
  ASSERT_TRUE(ini.write_string("Limits", "max_file_size", "not a number"));
  limits = read_load_limits(ini);
  EXPECT_EQ(limits.max_pixels, 5000u);
  EXPECT_EQ(limits.max_file_size, kDefaultMaxFileSize);
}

TEST(LoadLimits, RefusalsNameTheLimit) {
  const LoadLimits limits{.max_pixels = 100, .max_file_size = 1000};
  EXPECT_FALSE(pixel_refusal(10, 10, limits));
  EXPECT_EQ(pixel_refusal(10, 11, limits).value_or(""), "The image has 110 pixels, more than the limit max_pixels = 100.");
  EXPECT_FALSE(file_size_refusal(1000, limits));
  EXPECT_EQ(file_size_refusal(1001, limits).value_or(""),
            "The file has 1001 bytes, more than the limit max_file_size = 1000 bytes.");
  EXPECT_EQ(library_pixel_refusal("Invalid requested image size", limits),
            "Invalid requested image size (the limit is max_pixels = 100)");
}

TEST(PictureProperties, RowsOfAFileAndOfAPaste) {
  const PropertyRows rows = picture_property_rows(
      {.file_name = "/prints/A.WSQ", .width = 81, .height = 90, .depth = 8, .ppi = 500, .file_size = 1234});
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[0], (std::pair<QString, QString>{"File name", "/prints/A.WSQ"}));
  EXPECT_EQ(rows[1].second, "WSQ - FBI's Wavelet Scalar Quantization");
  EXPECT_EQ(rows[2].second, "81 x 90 pixels");
  EXPECT_EQ(rows[3].second, "8 bits per pixel");
  EXPECT_EQ(rows[4].second, "500 ppi");
  EXPECT_EQ(rows[5].second, "1234 bytes");
  const PropertyRows pasted = picture_property_rows({.file_name = QString(), .width = 3, .height = 4, .depth = 32});
  EXPECT_EQ(pasted[0].second, "(pasted from the clipboard)");
  EXPECT_EQ(pasted[4].second, "not recorded");
  EXPECT_EQ(pasted[5].second, "no file");
  EXPECT_EQ(rows_as_text({{"a", "1"}, {"b", "2"}}), "a\t1\nb\t2\n");
  EXPECT_EQ(format_caption("x.xyz"), "XYZ");
}

TEST(RecentFiles, NewestFirstAtMostEightMissingDropped) {
  QStringList list;
  for (int i = 0; i < 10; ++i) list = with_recent(list, QStringLiteral("/f%1").arg(i));
  ASSERT_EQ(list.size(), kRecentFileCount);
  EXPECT_EQ(list.front(), "/f9");
  EXPECT_EQ(list.back(), "/f2");
  list = with_recent(list, "/f5");
  EXPECT_EQ(list.front(), "/f5");
  EXPECT_EQ(list.count("/f5"), 1);

  TempDir dir;
  touch(q(dir.file("kept.wsq")));
  EXPECT_EQ(existing_only({q(dir.file("kept.wsq")), q(dir.file("gone.wsq"))}), QStringList{q(dir.file("kept.wsq"))});
  IniFile ini(q(dir.file("v.ini")));
  ASSERT_TRUE(write_recent_files(ini, {"/a", "/b"}));
  EXPECT_EQ(read_recent_files(ini), (QStringList{"/a", "/b"}));
  ASSERT_TRUE(write_recent_files(ini, {"/c"}));
  EXPECT_EQ(read_recent_files(ini), QStringList{"/c"});
}
