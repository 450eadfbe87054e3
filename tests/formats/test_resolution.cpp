#include <gtest/gtest.h>

#include "imagelib/formats/resolution.h"
#include "imagelib/image_library.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(Resolution, UnitsConvertBothWaysToTheSameWholePpi) {
  for (const int32_t ppi : {72, 300, 500, 1000, 4000}) {
    EXPECT_EQ(per_metre_to_ppi(ppi_to_per_metre(ppi)), ppi);
  }
  EXPECT_EQ(ppi_to_per_metre(500), 19685u);
  EXPECT_EQ(density_to_ppi(196.85, 2), 500);
  EXPECT_EQ(density_to_ppi(500, 1), 500);
  // Unknown, absent or absurd values mean "no resolution".
  EXPECT_EQ(ppi_to_per_metre(-1), 0u);
  EXPECT_EQ(ppi_to_per_metre(0), 0u);
  EXPECT_EQ(per_metre_to_ppi(0), -1);
  EXPECT_EQ(per_metre_to_ppi(uint64_t{1} << 40), -1);
  EXPECT_EQ(density_to_ppi(72, 0), -1);
  EXPECT_EQ(density_to_ppi(-3, 1), -1);
  EXPECT_EQ(density_to_ppi(0.0 / 0.0, 1), -1);
}

// Every writer with a resolution field stores the record's ppi, and its
// reader gives it back; a record without one writes none.
TEST(Resolution, WritersAndReadersCarryTheRecordsPpi) {
  TempDir dir;
  ImageRecord image;
  image.width = 5;
  image.height = 3;
  image.bits_per_pixel = 24;
  ASSERT_EQ(image_allocate(image), NoError);
  for (const char* name : {"a.png", "a.tif", "a.bmp", "a.jpg"}) {
    for (const int32_t ppi : {-1, 333}) {
      image.ppi = ppi;
      ASSERT_EQ(save_image(image, dir.file(name)), NoError) << name;
      ImageRecord back;
      back.ppi = 12;  // a stale value is never kept
      ASSERT_EQ(load_image(dir.file(name), back), NoError) << name;
      EXPECT_EQ(back.ppi, ppi) << name;
    }
  }
}

}  // namespace
