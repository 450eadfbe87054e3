// The picture helpers behind the view, the properties and the WSQ save:
// half-size copies, the comments of a WSQ codestream, the grey record.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <algorithm>

#include "imagelib/image_library.h"
#include "tests/support/temp_dir.h"
#include "viewer/pictures/grey_record.h"
#include "viewer/pictures/half_size.h"
#include "viewer/pictures/wsq_comments.h"

namespace {

std::vector<uint8_t> wsq_bytes(const TempDir& dir, const char* comment) {
  ImageRecord record;
  record.width = 80;
  record.height = 70;
  record.bits_per_pixel = 24;
  record.pad_rows = 1;
  if (image_allocate(record) != NoError) return {};
  for (uint32_t y = 0; y < record.height; ++y)
    for (uint32_t x = 0; x < record.width * 3; ++x) record.row(y)[x] = static_cast<uint8_t>(x * 5 + y * 3);
  ImageInfo info;
  info.bitrate = 0.75;
  info.ppi = 1000;
  if (comment) info.comment = comment;
  const std::string path = dir.file("c.wsq");
  if (save_image(record, path, &info) != NoError) return {};
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  return {bytes.begin(), bytes.end()};
}

std::string field(const WsqComments& comments, const std::string& name) {
  const auto found = std::find_if(comments.nistcom_fields.begin(), comments.nistcom_fields.end(),
                                  [&](const auto& entry) { return entry.first == name; });
  return found == comments.nistcom_fields.end() ? "(none)" : found->second;
}

}  // namespace

TEST(HalfSize, RoundedMeanOfEachBlockOddSidesDropped) {
  QImage picture(5, 3, QImage::Format_RGB888);
  picture.fill(Qt::black);
  picture.setPixel(0, 0, qRgb(255, 10, 1));
  picture.setPixel(1, 0, qRgb(255, 10, 1));
  picture.setPixel(0, 1, qRgb(255, 10, 0));
  picture.setPixel(1, 1, qRgb(0, 11, 0));
  const QImage half = half_size(picture);
  ASSERT_EQ(half.size(), QSize(2, 1));
  EXPECT_EQ(half.pixel(0, 0), qRgb(191, 10, 1));  // (765 + 2) / 4, (41 + 2) / 4, (2 + 2) / 4
  EXPECT_EQ(half.pixel(1, 0), qRgb(0, 0, 0));
}

TEST(WsqComments, NistcomFieldsAndThePlainComment) {
  TempDir dir;
  const std::vector<uint8_t> bytes = wsq_bytes(dir, "Case 17\nleft thumb");
  ASSERT_FALSE(bytes.empty());
  const WsqComments comments = wsq_comments(bytes);
  EXPECT_EQ(field(comments, "PIX_WIDTH"), "80");
  EXPECT_EQ(field(comments, "PIX_HEIGHT"), "70");
  EXPECT_EQ(field(comments, "PPI"), "1000");
  EXPECT_EQ(comments.other_texts, std::vector<std::string>{"Case 17\nleft thumb"});
}

TEST(WsqComments, DamagedOrEmptyCodestreamsGiveWhatCameBefore) {
  TempDir dir;
  std::vector<uint8_t> bytes = wsq_bytes(dir, nullptr);
  ASSERT_GT(bytes.size(), 40u);
  EXPECT_TRUE(wsq_comments({}).nistcom_fields.empty());
  bytes.resize(20);  // cut inside the first segments
  const WsqComments cut = wsq_comments(bytes);
  EXPECT_TRUE(cut.other_texts.empty());
  EXPECT_TRUE(wsq_comments({0x12, 0x34}).nistcom_fields.empty());
}

TEST(GreyRecord, MeanOfTheThreeBytesWithAGreyPalette) {
  ImageRecord colour;
  colour.width = 2;
  colour.height = 1;
  colour.bits_per_pixel = 24;
  colour.row_stride = 8;
  colour.pixels = {10, 20, 31, 255, 255, 254, 0, 0};
  ImageRecord grey;
  ASSERT_EQ(grey_record_of(colour, grey), NoError);
  EXPECT_EQ(grey.bits_per_pixel, 8);
  EXPECT_EQ(grey.pixels, (std::vector<uint8_t>{20, 254}));
  EXPECT_EQ(grey.palette_count, 256);
  colour.bits_per_pixel = 8;
  EXPECT_NE(grey_record_of(colour, grey), NoError);
}

TEST(GreyRecord, GreyPicturesKeepEveryLevelAsTheMeanWould) {
  ImageRecord colour;
  colour.width = 256;
  colour.height = 2;
  colour.bits_per_pixel = 24;
  colour.pad_rows = 1;
  ASSERT_EQ(image_allocate(colour), NoError);
  for (uint32_t y = 0; y < 2; ++y) {
    for (uint32_t x = 0; x < 256; ++x) std::fill_n(colour.row(y) + 3 * x, 3, static_cast<uint8_t>(x ^ y));
  }
  ImageRecord grey;
  ASSERT_EQ(grey_record_of(colour, grey), NoError);
  EXPECT_EQ(grey.bits_per_pixel, 8);
  EXPECT_EQ(grey.palette_count, 256);
  for (uint32_t y = 0; y < 2; ++y) {
    for (uint32_t x = 0; x < 256; ++x) ASSERT_EQ(grey.row(y)[x], x ^ y);
  }
}
