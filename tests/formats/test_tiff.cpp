#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "imagelib/formats/tiff.h"
#include "imagelib/image_library.h"
#include "imagelib/formats/grey_palette.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "wsq/diagnostics.h"

namespace {

// A TIFF to be written by libtiff for the reader to take.
struct TiffSpec {
  uint32_t width = 4;
  uint32_t height = 2;
  uint16_t bits = 8;
  uint16_t samples = 1;
  uint16_t photometric = PHOTOMETRIC_MINISBLACK;
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint16_t compression = COMPRESSION_NONE;
  uint16_t orientation = 0;        // 0: no tag
  uint16_t max_sample = 0;         // 0: no tag
  std::vector<uint16_t> extra;     // ExtraSamples types
  std::vector<uint16_t> colour_map;  // red, green, blue arrays one after another
};

// data holds the rows top first; for separate planes, plane after plane.
void make_tiff(const std::string& path, const TiffSpec& spec, const std::vector<uint8_t>& data) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, spec.width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, spec.height);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, spec.bits);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, spec.samples);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, spec.photometric);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, spec.planar);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, spec.compression);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, spec.compression == COMPRESSION_JPEG ? 8 : 1);
  if (spec.orientation != 0) TIFFSetField(tiff, TIFFTAG_ORIENTATION, spec.orientation);
  if (spec.max_sample != 0) TIFFSetField(tiff, TIFFTAG_MAXSAMPLEVALUE, spec.max_sample);
  if (!spec.extra.empty()) TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, static_cast<uint16_t>(spec.extra.size()), spec.extra.data());
  if (!spec.colour_map.empty()) {
    const size_t n = spec.colour_map.size() / 3;
    TIFFSetField(tiff, TIFFTAG_COLORMAP, spec.colour_map.data(), spec.colour_map.data() + n, spec.colour_map.data() + 2 * n);
  }
  const bool separate = spec.planar == PLANARCONFIG_SEPARATE;
  const size_t row = (size_t{spec.width} * (separate ? 1 : spec.samples) * spec.bits + 7) / 8;
  const uint16_t planes = separate ? spec.samples : 1;
  std::vector<uint8_t> copy = data;
  for (uint16_t p = 0; p < planes; ++p) {
    for (uint32_t y = 0; y < spec.height; ++y) {
      ASSERT_EQ(TIFFWriteScanline(tiff, copy.data() + (size_t{p} * spec.height + y) * row, y, p), 1);
    }
  }
  TIFFClose(tiff);
}

uint16_t tag16(const std::string& path, ttag_t tag) {
  TIFF* tiff = TIFFOpen(path.c_str(), "r");
  uint16_t value = 0;
  if (tiff != nullptr) {
    TIFFGetField(tiff, tag, &value);
    TIFFClose(tiff);
  }
  return value;
}

const uint8_t* entry(const ImageRecord& image, int i) { return image.palette.data() + i * image.palette_entry_size; }

class TiffTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) { return dir_.file(name); }
  ImageRecord read(const std::string& name, const TiffSpec& spec, const std::vector<uint8_t>& data,
                   TiffOptions* options = nullptr) {
    make_tiff(path(name), spec, data);
    ImageRecord image;
    EXPECT_EQ(read_tiff(path(name), image, options), NoError);
    return image;
  }
  TempDir dir_;
};

TEST_F(TiffTest, GreyReadsWithIdentityPaletteAndWritesBackTheSameSamples) {
  const std::vector<uint8_t> data = {0, 10, 20, 30, 200, 210, 220, 255};
  ImageRecord image = read("grey.tif", {}, data);
  ASSERT_EQ(image.bits_per_pixel, 8);
  EXPECT_EQ(image.row(1)[1], 10);  // first file row is the record's last
  EXPECT_EQ(image.row(0)[3], 255);
  for (int i : {0, 77, 255}) EXPECT_EQ(entry(image, i)[1], i);

  ASSERT_EQ(write_tiff(path("out.tif"), image, nullptr), NoError);
  EXPECT_EQ(tag16(path("out.tif"), TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_MINISBLACK);
  EXPECT_EQ(tag16(path("out.tif"), TIFFTAG_COMPRESSION), COMPRESSION_NONE);
  EXPECT_EQ(tag16(path("out.tif"), TIFFTAG_ORIENTATION), ORIENTATION_TOPLEFT);
  ImageRecord again;
  ASSERT_EQ(read_tiff(path("out.tif"), again, nullptr), NoError);
  EXPECT_EQ(again.pixels, image.pixels);
}

TEST_F(TiffTest, WhiteIsZeroPaletteRunsDownAndIsWrittenBackAsWhiteIsZero) {
  TiffSpec spec;
  spec.photometric = PHOTOMETRIC_MINISWHITE;
  ImageRecord image = read("white.tif", spec, std::vector<uint8_t>(8, 3));
  EXPECT_EQ(entry(image, 0)[0], 255);
  EXPECT_EQ(entry(image, 255)[0], 0);
  ASSERT_EQ(write_tiff(path("out.tif"), image, nullptr), NoError);
  EXPECT_EQ(tag16(path("out.tif"), TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_MINISWHITE);
}

TEST_F(TiffTest, BilevelAndFourBitGreyPalettesSpanBlackToWhite) {
  TiffSpec spec;
  spec.bits = 1;
  ImageRecord bilevel = read("bilevel.tif", spec, {0x50, 0xA0});
  ASSERT_EQ(bilevel.bits_per_pixel, 1);
  EXPECT_EQ(entry(bilevel, 0)[0], 0);
  EXPECT_EQ(entry(bilevel, 1)[0], 255);
  EXPECT_EQ(bilevel.row(1)[0], 0x50);

  spec.photometric = PHOTOMETRIC_MINISWHITE;
  ImageRecord inverted = read("inverted.tif", spec, {0x50, 0xA0});
  EXPECT_EQ(entry(inverted, 0)[0], 255);
  EXPECT_EQ(entry(inverted, 1)[0], 0);

  spec.bits = 4;
  spec.photometric = PHOTOMETRIC_MINISBLACK;
  ImageRecord four = read("four.tif", spec, {0x01, 0x23, 0x45, 0x6F});
  EXPECT_EQ(entry(four, 1)[0], 17);
  EXPECT_EQ(entry(four, 15)[0], 255);
}

TEST_F(TiffTest, MaxSampleValueScalesTheGreyPalette) {
  TiffSpec spec;
  spec.max_sample = 100;
  ImageRecord image = read("max.tif", spec, std::vector<uint8_t>(8, 50));
  EXPECT_EQ(entry(image, 50)[0], 127);
  EXPECT_EQ(entry(image, 100)[0], 255);
  EXPECT_EQ(entry(image, 200)[0], 255);
  // Grey but not the grey ramp: written as 8-bit grey levels, each index
  // translated, so the picture stays the same.
  ASSERT_EQ(write_tiff(path("out.tif"), image, nullptr), NoError);
  EXPECT_EQ(tag16(path("out.tif"), TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_MINISBLACK);
  EXPECT_EQ(tag16(path("out.tif"), TIFFTAG_BITSPERSAMPLE), 8);
  ImageRecord again;
  ASSERT_EQ(read_tiff(path("out.tif"), again, nullptr), NoError);
  EXPECT_TRUE(palette_is_grey_ramp(again));
  EXPECT_EQ(again.pixels, std::vector<uint8_t>(8, 127));
}

TEST_F(TiffTest, LowDepthGreyPalettesAreWrittenAsTheirLevels) {
  ImageRecord image;
  image.width = 3;
  image.height = 1;
  image.bits_per_pixel = 4;
  image.palette_count = 16;
  ASSERT_EQ(image_allocate(image), NoError);
  for (uint32_t i = 0; i < 16; ++i) std::fill_n(image.palette.begin() + i * image.palette_entry_size, 3, 10 * i);
  image.pixels = {0x1F, 0x30};
  ASSERT_EQ(write_tiff(path("four.tif"), image, nullptr), NoError);
  EXPECT_EQ(tag16(path("four.tif"), TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_MINISBLACK);
  ImageRecord again;
  ASSERT_EQ(read_tiff(path("four.tif"), again, nullptr), NoError);
  ASSERT_EQ(again.bits_per_pixel, 8);
  EXPECT_EQ(std::vector<uint8_t>(again.pixels.begin(), again.pixels.begin() + 3), (std::vector<uint8_t>{10, 150, 30}));
}

TEST_F(TiffTest, RgbSwapsToBlueGreenRedAndBack) {
  TiffSpec spec;
  spec.width = 2;
  spec.height = 1;
  spec.samples = 3;
  spec.photometric = PHOTOMETRIC_RGB;
  const std::vector<uint8_t> data = {1, 2, 3, 4, 5, 6};
  ImageRecord image = read("rgb.tif", spec, data);
  ASSERT_EQ(image.bits_per_pixel, 24);
  EXPECT_EQ(std::vector<uint8_t>(image.pixels.begin(), image.pixels.begin() + 6), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
  ASSERT_EQ(write_tiff(path("out.tif"), image, nullptr), NoError);
  ImageRecord again;
  ASSERT_EQ(read_tiff(path("out.tif"), again, nullptr), NoError);
  EXPECT_EQ(again.pixels, image.pixels);
}

TEST_F(TiffTest, SixteenBitSamplesAreShiftedToOneByte) {
  TiffSpec spec;
  spec.width = 2;
  spec.height = 1;
  spec.bits = 16;
  const uint16_t samples[] = {0x1234, 0xFF00};
  std::vector<uint8_t> data(4);
  std::memcpy(data.data(), samples, 4);
  ImageRecord grey = read("grey16.tif", spec, data);
  ASSERT_EQ(grey.bits_per_pixel, 8);
  EXPECT_EQ(grey.pixels[0], 0x12);
  EXPECT_EQ(grey.pixels[1], 0xFF);

  // Twelve significant bits: shifted by 4 instead of 8.
  spec.max_sample = 4095;
  const uint16_t twelve_bit[] = {0x0ABC, 0x0FFF};
  std::memcpy(data.data(), twelve_bit, 4);
  ImageRecord twelve = read("grey12.tif", spec, data);
  EXPECT_EQ(twelve.pixels[0], 0xAB);
  EXPECT_EQ(twelve.pixels[1], 0xFF);
  EXPECT_EQ(entry(twelve, 255)[0], 255);
  spec.max_sample = 0;

  spec.width = 1;
  spec.samples = 3;
  spec.photometric = PHOTOMETRIC_RGB;
  spec.planar = PLANARCONFIG_SEPARATE;
  const uint16_t planes[] = {0x1000, 0x2000, 0x3000};
  std::vector<uint8_t> plane_data(6);
  std::memcpy(plane_data.data(), planes, 6);
  ImageRecord rgb = read("rgb16.tif", spec, plane_data);
  ASSERT_EQ(rgb.bits_per_pixel, 24);
  EXPECT_EQ(std::vector<uint8_t>(rgb.pixels.begin(), rgb.pixels.begin() + 3), (std::vector<uint8_t>{0x30, 0x20, 0x10}));
}

TEST_F(TiffTest, ColourMapsAreScaledOnlyWhenTheyUseSixteenBits) {
  TiffSpec spec;
  spec.width = 2;
  spec.height = 1;
  spec.bits = 1;
  spec.photometric = PHOTOMETRIC_PALETTE;
  spec.colour_map = {65535, 0, 0, 32768, 0, 1000};
  ImageRecord wide = read("wide.tif", spec, {0x40});
  EXPECT_EQ(entry(wide, 0)[2], 255);
  EXPECT_EQ(entry(wide, 1)[1], 32768 * 255 / 65535);
  EXPECT_EQ(entry(wide, 1)[0], 1000 * 255 / 65535);

  spec.colour_map = {10, 20, 30, 40, 50, 60};
  ImageRecord narrow = read("narrow.tif", spec, {0x40});
  EXPECT_EQ(entry(narrow, 0)[2], 10);
  EXPECT_EQ(entry(narrow, 1)[0], 60);
}

TEST_F(TiffTest, AssociatedAlphaIsDividedOutUnassociatedIsKept) {
  TiffSpec spec;
  spec.width = 2;
  spec.height = 1;
  spec.samples = 4;
  spec.photometric = PHOTOMETRIC_RGB;
  spec.extra = {EXTRASAMPLE_ASSOCALPHA};
  const std::vector<uint8_t> data = {200, 50, 0, 100, 7, 8, 9, 0};
  ImageRecord premultiplied = read("assoc.tif", spec, data);
  ASSERT_EQ(premultiplied.bits_per_pixel, 32);
  EXPECT_EQ(premultiplied.pixels[2], 255);
  EXPECT_EQ(premultiplied.pixels[1], 128);
  EXPECT_EQ(premultiplied.pixels[4], 9);  // alpha 0 keeps its colours

  spec.extra = {EXTRASAMPLE_UNASSALPHA};
  ImageRecord straight = read("unassoc.tif", spec, data);
  EXPECT_EQ(straight.pixels[2], 200);
  ASSERT_EQ(write_tiff(path("out.tif"), straight, nullptr), NoError);
  ImageRecord again;
  ASSERT_EQ(read_tiff(path("out.tif"), again, nullptr), NoError);
  EXPECT_EQ(again.pixels, straight.pixels);

  spec.extra.clear();
  make_tiff(path("cmyk.tif"), spec, data);
  ImageRecord refused;
  EXPECT_EQ(read_tiff(path("cmyk.tif"), refused, nullptr), UnsupportedOption);
}

TEST_F(TiffTest, GreyWithAlphaBecomesThirtyTwoBits) {
  TiffSpec spec;
  spec.width = 1;
  spec.height = 1;
  spec.samples = 2;
  spec.extra = {EXTRASAMPLE_UNASSALPHA};
  ImageRecord image = read("greyalpha.tif", spec, {90, 40});
  ASSERT_EQ(image.bits_per_pixel, 32);
  EXPECT_EQ(std::vector<uint8_t>(image.pixels.begin(), image.pixels.begin() + 4), (std::vector<uint8_t>{90, 90, 90, 40}));
}

TEST_F(TiffTest, SeparatePlanesReadLikeContiguousSamples) {
  TiffSpec spec;
  spec.width = 2;
  spec.height = 1;
  spec.samples = 3;
  spec.photometric = PHOTOMETRIC_RGB;
  spec.planar = PLANARCONFIG_SEPARATE;
  ImageRecord image = read("planes.tif", spec, {1, 2, 3, 4, 5, 6});
  ASSERT_EQ(image.bits_per_pixel, 24);
  EXPECT_EQ(std::vector<uint8_t>(image.pixels.begin(), image.pixels.begin() + 6), (std::vector<uint8_t>{5, 3, 1, 6, 4, 2}));

  spec.samples = 1;
  spec.photometric = PHOTOMETRIC_MINISBLACK;
  ImageRecord grey = read("oneplane.tif", spec, {7, 9});
  ASSERT_EQ(grey.bits_per_pixel, 8);
  EXPECT_EQ(grey.pixels[1], 9);
}

TEST_F(TiffTest, SeparateBitPlanesMakeAnEightColourIndexImage) {
  TiffSpec spec;
  spec.width = 3;
  spec.height = 1;
  spec.bits = 1;
  spec.samples = 3;
  spec.photometric = PHOTOMETRIC_RGB;
  spec.planar = PLANARCONFIG_SEPARATE;
  // Pixel 0 red, pixel 1 green and blue, pixel 2 white.
  ImageRecord image = read("bits.tif", spec, {0xA0, 0x60, 0x60});
  ASSERT_EQ(image.bits_per_pixel, 4);
  EXPECT_EQ(image.pixels[0], 0x16);
  EXPECT_EQ(image.pixels[1], 0x70);
  EXPECT_EQ(entry(image, 1)[2], 255);
  EXPECT_EQ(entry(image, 1)[0], 0);
  EXPECT_EQ(image.transparent_index, -1);
}

TEST_F(TiffTest, OptionsReportCompressionOrientationAndPredictor) {
  TiffSpec spec;
  spec.compression = COMPRESSION_LZW;
  spec.orientation = ORIENTATION_BOTLEFT;
  TiffOptions options;
  ImageRecord image = read("lzw.tif", spec, std::vector<uint8_t>(8, 1), &options);
  EXPECT_EQ(options.compression, 4);
  EXPECT_EQ(options.predictor, 2);
  EXPECT_EQ(options.bottom_up, 1);
  EXPECT_EQ(options.photometric, 1);
  EXPECT_EQ(write_tiff(path("out.tif"), image, &options), UnsupportedOption);
  EXPECT_EQ(get_last_error(), UnsupportedOption);
  EXPECT_FALSE(std::filesystem::exists(path("out.tif")));

  options.compression = 13;
  ASSERT_EQ(write_tiff(path("out.tif"), image, &options), NoError);
  EXPECT_EQ(tag16(path("out.tif"), TIFFTAG_COMPRESSION), COMPRESSION_DEFLATE);
  EXPECT_EQ(tag16(path("out.tif"), TIFFTAG_ORIENTATION), ORIENTATION_BOTLEFT);
}

TEST_F(TiffTest, OrientationAndJpegAreRefusedOnlyWithOptions) {
  TiffSpec spec;
  spec.orientation = ORIENTATION_BOTRIGHT;
  make_tiff(path("turned.tif"), spec, std::vector<uint8_t>(8, 1));
  TiffOptions options;
  ImageRecord image;
  EXPECT_EQ(read_tiff(path("turned.tif"), image, &options), UnsupportedOption);
  EXPECT_TRUE(image.pixels.empty());
  EXPECT_EQ(read_tiff(path("turned.tif"), image, nullptr), NoError);

  spec = TiffSpec{};
  spec.width = spec.height = 8;
  spec.compression = COMPRESSION_JPEG;
  make_tiff(path("jpeg.tif"), spec, std::vector<uint8_t>(64, 128));
  EXPECT_EQ(read_tiff(path("jpeg.tif"), image, &options), UnsupportedOption);
}

TEST_F(TiffTest, BilevelRecordsAreAlwaysWrittenWithPackBits) {
  TiffSpec spec;
  spec.bits = 1;
  ImageRecord image = read("bilevel.tif", spec, {0xF0, 0x0F});
  TiffOptions options;
  options.compression = 13;
  ASSERT_EQ(write_tiff(path("out.tif"), image, &options), NoError);
  EXPECT_EQ(tag16(path("out.tif"), TIFFTAG_COMPRESSION), COMPRESSION_PACKBITS);
  ImageRecord again;
  ASSERT_EQ(read_tiff(path("out.tif"), again, nullptr), NoError);
  EXPECT_EQ(again.pixels, image.pixels);
  EXPECT_EQ(again.palette, image.palette);
}

TEST_F(TiffTest, FailuresReportTheirCodesAndLeaveTheRecordEmpty) {
  ImageRecord image;
  EXPECT_EQ(read_tiff(path("missing.tif"), image, nullptr), CannotOpenFile);

  TiffSpec spec;
  spec.width = spec.height = 64;
  make_tiff(path("big.tif"), spec, std::vector<uint8_t>(64 * 64, 1));
  image.max_pixels = 1000;
  EXPECT_EQ(read_tiff(path("big.tif"), image, nullptr), BadImageSize);
  image.max_pixels = kDefaultMaxPixels;

  std::vector<uint8_t> bytes = read_file_bytes(path("big.tif"));
  // The directory sits after the pixels: blank out the second half of them.
  std::fill(bytes.begin() + 8, bytes.begin() + 8 + 4096, 0);
  write_file_bytes(path("garbage.tif"), std::vector<uint8_t>(bytes.begin(), bytes.begin() + 100));
  CapturedDiagnostics diagnostics;
  EXPECT_EQ(read_tiff(path("garbage.tif"), image, nullptr), CannotOpenFile);
  EXPECT_FALSE(diagnostics.text().empty());
  EXPECT_TRUE(image.pixels.empty());
}

TEST_F(TiffTest, TruncatedStripFailsWithReadError) {
  TiffSpec spec;
  spec.width = spec.height = 64;
  spec.compression = COMPRESSION_DEFLATE;
  std::vector<uint8_t> data(64 * 64);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 % 251);
  make_tiff(path("deflate.tif"), spec, data);
  std::vector<uint8_t> bytes = read_file_bytes(path("deflate.tif"));
  // Strips come first, the directory last: corrupt the compressed data.
  for (size_t i = 8; i < bytes.size() / 2; ++i) bytes[i] ^= 0x5A;
  write_file_bytes(path("broken.tif"), bytes);
  CapturedDiagnostics diagnostics;
  ImageRecord image;
  EXPECT_EQ(read_tiff(path("broken.tif"), image, nullptr), ReadError);
  EXPECT_TRUE(image.pixels.empty());
}

TEST_F(TiffTest, FailedWriteLeavesTheExistingFileUntouched) {
  ImageRecord image = read("grey.tif", {}, std::vector<uint8_t>(8, 9));
  write_file_bytes(path("keep.tif"), {1, 2, 3});
  TiffOptions options;
  options.compression = 3;  // Group 4 fax cannot code 8-bit samples
  CapturedDiagnostics diagnostics;
  EXPECT_EQ(write_tiff(path("keep.tif"), image, &options), WriteError);
  EXPECT_EQ(read_file_bytes(path("keep.tif")), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 2);
}

TEST_F(TiffTest, ExtensionDispatchCarriesTheOptions) {
  TiffSpec spec;
  spec.compression = COMPRESSION_PACKBITS;
  make_tiff(path("packed.tiff"), spec, std::vector<uint8_t>(8, 5));
  TiffOptions options;
  ImageRecord image;
  ASSERT_EQ(load_image(path("packed.tiff"), image, nullptr, &options), NoError);
  EXPECT_EQ(options.compression, 9);
  ASSERT_EQ(save_image(image, path("copy.TIF"), nullptr, &options), NoError);
  EXPECT_EQ(tag16(path("copy.TIF"), TIFFTAG_COMPRESSION), COMPRESSION_PACKBITS);
}

TEST_F(TiffTest, FourBitPlanesMarkTheirTransparentPixels) {
  TiffSpec spec;
  spec.width = 2;
  spec.height = 1;
  spec.bits = 1;
  spec.samples = 4;
  spec.photometric = PHOTOMETRIC_SEPARATED;
  spec.planar = PLANARCONFIG_SEPARATE;
  // Pixel 0 blue and shown, pixel 1 hidden by a 0 bit in the fourth plane.
  ImageRecord image = read("four.tif", spec, {0x00, 0x00, 0xC0, 0x80});
  ASSERT_EQ(image.bits_per_pixel, 4);
  EXPECT_EQ(image.pixels[0], 0x48);
  EXPECT_EQ(image.transparent_index, 8);
  EXPECT_EQ(entry(image, 8)[1], 127);
}

TEST_F(TiffTest, PaddedRowsAndFourByteEntriesWhenTheCallerAsks) {
  TiffSpec spec;
  spec.width = 5;
  spec.height = 1;
  make_tiff(path("odd.tif"), spec, {1, 2, 3, 4, 5});
  ImageRecord image;
  image.pad_rows = 1;
  ASSERT_EQ(read_tiff(path("odd.tif"), image, nullptr), NoError);
  EXPECT_EQ(image.row_stride, 8u);
  EXPECT_EQ(image.palette_entry_size, 4);
  EXPECT_EQ(entry(image, 3)[2], 3);
}

// A palette record of the given depth whose entry i is grey level level(i).
template <typename Level>
ImageRecord grey_record(uint8_t bits, Level level) {
  ImageRecord image;
  image.width = 1;
  image.height = 1;
  image.bits_per_pixel = bits;
  EXPECT_EQ(image_allocate(image), NoError);
  for (uint32_t i = 0; i < image.palette_count; ++i) {
    std::fill_n(image.palette.begin() + i * image.palette_entry_size, 3, static_cast<uint8_t>(level(i)));
  }
  return image;
}

TEST(GreyPalette, RecognisesTheRampItsReverseAndOtherGreys) {
  for (uint8_t bits : {1, 4, 8}) {
    const uint32_t max = (1u << bits) - 1;
    ImageRecord ramp = grey_record(bits, [max](uint32_t i) { return i * 255 / max; });
    EXPECT_TRUE(palette_is_grey_ramp(ramp)) << int{bits};
    EXPECT_FALSE(palette_is_reverse_grey_ramp(ramp));
    EXPECT_TRUE(palette_is_grey(ramp));
    ImageRecord reverse = grey_record(bits, [max](uint32_t i) { return 255 - i * 255 / max; });
    EXPECT_TRUE(palette_is_reverse_grey_ramp(reverse)) << int{bits};
    EXPECT_FALSE(palette_is_grey_ramp(reverse));
  }
  // The 8-bit ramp is not the ramp of a 4-bit record.
  ImageRecord narrow = grey_record(4, [](uint32_t i) { return i; });
  EXPECT_FALSE(palette_is_grey_ramp(narrow));
  EXPECT_TRUE(palette_is_grey(narrow));
  narrow.palette[4] = 9;  // entry 1 gets a green cast
  EXPECT_FALSE(palette_is_grey(narrow));
  ImageRecord colour;
  colour.width = colour.height = 1;
  colour.bits_per_pixel = 24;
  ASSERT_EQ(image_allocate(colour), NoError);
  EXPECT_FALSE(palette_is_grey(colour));
}

}  // namespace
