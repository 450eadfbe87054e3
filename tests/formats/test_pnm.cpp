#include <gtest/gtest.h>

#include <string>

#include "imagelib/formats/grey_palette.h"
#include "imagelib/image_library.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

class Pnm : public ::testing::Test {
 protected:
  ImageLibraryError load(const std::string& name, const std::vector<uint8_t>& bytes) {
    write_file_bytes(dir.file(name), bytes);
    image = ImageRecord{};
    return load_image(dir.file(name), image);
  }
  // Pixel x of top row y as blue, green, red.
  std::vector<uint8_t> pixel(uint32_t x, uint32_t y) const {
    const uint8_t* row = image.row(image.height - 1 - y);
    if (image.bits_per_pixel == 8) return {row[x], row[x], row[x]};
    return {row[3 * x], row[3 * x + 1], row[3 * x + 2]};
  }
  TempDir dir;
  ImageRecord image;
};

TEST_F(Pnm, BinaryAndPlainGreyAndColourWithCommentsAndWideSamples) {
  std::vector<uint8_t> p5 = bytes_of("P5\n# made by hand\n3 2\n255\n");
  for (uint8_t v : {0, 10, 20, 30, 40, 250}) p5.push_back(v);
  ASSERT_EQ(load("a.pgm", p5), NoError);
  EXPECT_EQ(image.bits_per_pixel, 8);
  EXPECT_TRUE(palette_is_grey_ramp(image));
  EXPECT_EQ(pixel(1, 0), (std::vector<uint8_t>{10, 10, 10}));
  EXPECT_EQ(pixel(2, 1), (std::vector<uint8_t>{250, 250, 250}));

  std::vector<uint8_t> p6 = bytes_of("P6 1 1 65535\n");
  for (uint8_t v : {0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00}) p6.push_back(v);
  ASSERT_EQ(load("b.ppm", p6), NoError);
  EXPECT_EQ(image.bits_per_pixel, 24);
  EXPECT_EQ(pixel(0, 0), (std::vector<uint8_t>{0, 128, 255}));  // blue, green, red

  ASSERT_EQ(load("c.pnm", bytes_of("P2 2 1 15 0 15")), NoError);
  EXPECT_EQ(pixel(1, 0)[0], 255);
  ASSERT_EQ(load("d.ppm", bytes_of("P3\n1 1\n#c\n255\n1 2 3\n")), NoError);
  EXPECT_EQ(pixel(0, 0), (std::vector<uint8_t>{3, 2, 1}));
}

TEST_F(Pnm, HostileHeadersAreRefusedBeforeAllocating) {
  EXPECT_EQ(load("a.pgm", bytes_of("P5\n100000 100000\n255\n")), BadImageSize);
  EXPECT_EQ(load("a.pgm", bytes_of("P5\n3000 3000\n255\nabc")), ReadError);
  EXPECT_EQ(load("a.pgm", bytes_of("P5\n99999999999 1\n255\n")), CorruptFile);
  EXPECT_EQ(load("a.pgm", bytes_of("P5\n1 1\n0\n\x01")), CorruptFile);
  EXPECT_EQ(load("a.pgm", bytes_of("P5\n1 1\n70000\n\x01\x01")), CorruptFile);
  EXPECT_EQ(load("a.pgm", bytes_of("P2\n2 1\n10\n5 11")), CorruptFile);  // above the largest value
  EXPECT_EQ(load("a.pgm", bytes_of("P2\n2 1\n10\n5")), ReadError);
  EXPECT_EQ(load("a.pgm", bytes_of("P5\n2 2\n255\n\x01\x02")), ReadError);
  EXPECT_EQ(load("a.pgm", bytes_of("P4\n1 1\n\x01")), UnsupportedOption);
  EXPECT_EQ(load("a.pgm", bytes_of("")), UnsupportedOption);
  EXPECT_TRUE(image.pixels.empty());
  ImageRecord limited;
  limited.max_pixels = 5;
  write_file_bytes(dir.file("big.pgm"), bytes_of("P5 3 2 255\n123456"));
  EXPECT_EQ(load_image(dir.file("big.pgm"), limited), BadImageSize);
}

TEST_F(Pnm, WritesGreyAsP5AndColourAsP6AndReadsThemBack) {
  ImageRecord source;
  source.width = 3;
  source.height = 2;
  source.bits_per_pixel = 24;
  ASSERT_EQ(image_allocate(source), NoError);
  for (size_t i = 0; i < source.pixels.size(); ++i) source.pixels[i] = static_cast<uint8_t>(i * 37);
  ASSERT_EQ(save_image(source, dir.file("c.pnm")), NoError);
  EXPECT_EQ(read_file_bytes(dir.file("c.pnm"))[1], '6');
  ImageRecord back;
  ASSERT_EQ(load_image(dir.file("c.pnm"), back), NoError);
  EXPECT_EQ(back.pixels, source.pixels);

  // Written as .pgm the colours become grey by the library's rule.
  ASSERT_EQ(save_image(source, dir.file("c.pgm")), NoError);
  const std::vector<uint8_t> file = read_file_bytes(dir.file("c.pgm"));
  ASSERT_EQ(std::string(file.begin(), file.begin() + 11), "P5\n3 2\n255\n");
  EXPECT_EQ(file[11], grey_value(source.row(1)));

  ASSERT_EQ(image_to_grey(source), NoError);
  ASSERT_EQ(save_image(source, dir.file("g.pnm")), NoError);
  EXPECT_EQ(read_file_bytes(dir.file("g.pnm"))[1], '5');
  ASSERT_EQ(load_image(dir.file("g.pnm"), back), NoError);
  EXPECT_EQ(back.bits_per_pixel, 8);
  EXPECT_EQ(back.row(0)[2], source.row(0)[2]);
}

}  // namespace
