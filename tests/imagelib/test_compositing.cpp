#include <gtest/gtest.h>

#include "imagelib/compositing.h"

namespace {

TEST(Compositing, BlendEndsAndMiddle) {
  EXPECT_EQ(blend_channel(255, 128, 0), 128);
  EXPECT_EQ(blend_channel(10, 0, 99), 99);
  EXPECT_EQ(blend_channel(10, 255, 99), 10);
  EXPECT_EQ(blend_channel(0, 128, 255), 127);
}

TEST(Compositing, UnblendLimitsToTheByteRange) {
  EXPECT_EQ(unblend_channel(200, 100, 0), 255);
  EXPECT_EQ(unblend_channel(128, 128, 0), 255);
  EXPECT_EQ(unblend_channel(0, 128, 255), 0);
  EXPECT_EQ(unblend_channel(5, 0, 77), 77);
  EXPECT_EQ(unblend_channel(5, 255, 77), 5);
}

TEST(Compositing, UnblendUndoesBlendWithinRounding) {
  for (int colour = 0; colour < 256; colour += 15) {
    for (int alpha = 64; alpha < 256; alpha += 32) {
      const uint8_t blended = blend_channel(static_cast<uint8_t>(colour), static_cast<uint8_t>(alpha), 40);
      EXPECT_NEAR(unblend_channel(blended, static_cast<uint8_t>(alpha), 40), colour, 4) << colour << " " << alpha;
    }
  }
}

}  // namespace
