#include "viewer/logic/format_table.h"

#include <gtest/gtest.h>

#include <QString>
#include <set>
#include <string>

#include "viewer/logic/dialog_filters.h"

TEST(FormatTable, FirstRowStandsForAllFormats) {
  const auto& rows = FormatPatterns();
  EXPECT_EQ(rows[0].caption, "All Bitmap Files");
  EXPECT_TRUE(rows[0].pattern.empty());
}

TEST(FormatTable, RowsKeepTheirOrderCaptionsAndPatterns) {
  const auto& rows = FormatPatterns();
  EXPECT_EQ(rows[1].caption, "WSQ - FBI's Wavelet Scalar Quantization");
  EXPECT_EQ(rows[1].pattern, "/*.wsq");
  EXPECT_EQ(rows[2].pattern, "/*.bmp");
  EXPECT_EQ(rows[3].pattern, "/*.tiff");
  EXPECT_EQ(rows[13].caption, "DIB - Device independant Windows bitmaps");
  EXPECT_EQ(rows[28].pattern, "/*.rgb");
  EXPECT_EQ(rows[39].caption, "IFF - Amiga Bitmap Graphic (8 bits)");
  EXPECT_EQ(rows[42].caption, "EMF - Windows enhanced meta files");
  EXPECT_EQ(rows[42].pattern, "/*.emf");
}

TEST(FormatTable, PatternsAreTheFortyTwoReadableExtensions) {
  const std::set<std::string> readable = {
      ".wsq", ".bmp", ".tif", ".tiff", ".png", ".tga", ".cel", ".rgb", ".rgba", ".gif", ".psd",
      ".rle", ".dib", ".win", ".vst", ".vda", ".icb", ".fax", ".eps", ".pcx", ".pcc", ".scr",
      ".rpf", ".rla", ".sgi", ".bw",  ".pdd", ".ppm", ".pgm", ".pbm", ".pic", ".pcd", ".cut",
      ".psp", ".ico", ".wmf", ".emf", ".jfif", ".iff", ".jpg", ".jpeg", ".jpe"};
  std::set<std::string> patterns;
  for (int row = 1; row < FormatRowCount; ++row) {
    const std::string pattern(FormatPatterns()[row].pattern);
    ASSERT_EQ(pattern.substr(0, 2), "/*") << row;
    patterns.insert(pattern.substr(2));
  }
  EXPECT_EQ(patterns, readable);
}

TEST(FormatTable, OpenDialogPlacesAreEachUsedOnce) {
  std::set<int> places;
  for (int row = 1; row < FormatRowCount; ++row) places.insert(FormatPatterns()[row].filter_position);
  EXPECT_EQ(places.size(), 42u);
  EXPECT_EQ(*places.begin(), 1);
  EXPECT_EQ(*places.rbegin(), 42);
}

TEST(FormatTable, EveryRowHasAReaderOrIsRefusedAndProgramReadersAreNamed) {
  for (int row = 1; row < FormatRowCount; ++row) {
    const FormatRow& format = FormatPatterns()[row];
    const bool program = format.reader == FormatReader::ProgramWsq || format.reader == FormatReader::ProgramTiff ||
                         format.reader == FormatReader::Program || format.reader == FormatReader::Jpeg;
    EXPECT_EQ(program, !format.registry_description.empty()) << row;
    EXPECT_EQ(row_extension(format), format.pattern.substr(2)) << row;
  }
  EXPECT_EQ(SaveFormatRows()[6].extension, std::string(".rgb"));
}

TEST(FormatTable, OpenDialogKeepsItsDescribedOrder) {
  const QString open = open_dialog_filter_text();
  EXPECT_TRUE(open.contains("|JPG images (*.jpg)|*.jpg|JPE images (*.jpe)|*.jpe|JPEG images (*.jpeg)|*.jpeg|"));
  EXPECT_TRUE(open.contains("|Device independant Windows bitmaps (*.dib)|*.dib|Truevision images (*.win)|*.win|"
                            "Truevision images (*.vst)|*.vst|Truevision images (*.vda)|*.vda|"
                            "Truevision images (*.tga)|*.tga|Truevision images (*.icb)|*.icb|GFI fax images"));
}
