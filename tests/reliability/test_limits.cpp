// The pixel and file-size limits are settings of each record (and of each
// decoder context): hostile headers and oversized files are refused with a
// message naming the limit, and the heap requests made on the way are
// counted to show that nothing larger than the limit allows is asked for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imagelib/image_library.h"
#include "tests/reliability/counting_allocator.h"
#include "tests/reliability/hostile_files.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "wsq/decoder.h"
#include "wsq/diagnostics.h"
#include "wsq/encoder.h"

namespace {

constexpr uint64_t kPixelLimit = uint64_t{1} << 20;
// Four bytes a pixel at the limit, plus room for the libraries' own tables.
constexpr size_t kPixelAllowance = kPixelLimit * 4 + (size_t{256} << 10);

TEST(Limits, HostileHeadersNeverAskForMoreThanThePixelLimitAllows) {
  TempDir dir;
  for (const hostile::HostileFile& file : hostile::all(dir.path().string())) {
    ASSERT_FALSE(file.bytes.empty()) << file.extension;
    const std::string path = dir.file("hostile." + file.extension);
    write_file_bytes(path, file.bytes);
    ImageRecord image;
    image.max_pixels = kPixelLimit;
    ImageInfo info;
    CapturedDiagnostics diagnostics;
    size_t largest = 0;
    ImageLibraryError code = NoError;
    {
      AllocationWatch watch;
      code = load_image(path, image, &info);
      largest = watch.largest();
    }
    EXPECT_NE(code, NoError) << file.extension;
    EXPECT_TRUE(image.pixels.empty()) << file.extension;
    if (AllocationWatch::kAvailable) EXPECT_LE(largest, kPixelAllowance) << file.extension;
    // A refusal for size names the limit.
    if (code == BadImageSize) EXPECT_NE(diagnostics.text().find(std::to_string(kPixelLimit)), std::string::npos)
        << file.extension << ": " << diagnostics.text();
  }
  if (!AllocationWatch::kAvailable) GTEST_SKIP() << "allocation counting needs the plain allocator";
}

TEST(Limits, TheWatchSeesWhatTheLimitLetsThrough) {
  if (!AllocationWatch::kAvailable) GTEST_SKIP() << "allocation counting needs the plain allocator";
  // The PNG reader allocates the declared picture once the limit allows it:
  // 3000 x 3000 declared in a file of a few hundred bytes. The watch must see
  // that request, or the test above proves nothing.
  TempDir dir;
  const std::string path = dir.file("declares-9-megapixels.png");
  write_file_bytes(path, hostile::png_declaring(dir.path().string(), 3000, 3000));
  ImageRecord image;
  image.max_pixels = 3000 * 3000;
  ScopedDiagnostics quiet([](std::string_view) {});
  AllocationWatch watch;
  EXPECT_NE(load_image(path, image), NoError);
  EXPECT_GE(watch.largest(), size_t{3000} * 3000 * 3);
}

TEST(Limits, FilesAboveTheSizeLimitAreRefusedUnreadWithTheLimitNamed) {
  TempDir dir;
  constexpr uint64_t kFileLimit = 20000;
  for (const hostile::HostileFile& file : hostile::all(dir.path().string())) {
    std::vector<uint8_t> bytes = file.bytes;
    bytes.resize(kFileLimit + 1, 0);
    const std::string path = dir.file("large." + file.extension);
    write_file_bytes(path, bytes);
    ImageRecord image;
    image.max_file_size = kFileLimit;
    ImageInfo info;
    CapturedDiagnostics diagnostics;
    size_t largest = 0;
    ImageLibraryError code = NoError;
    {
      AllocationWatch watch;
      code = load_image(path, image, &info);
      largest = watch.largest();
    }
    EXPECT_EQ(code, OutOfMemory) << file.extension;
    EXPECT_EQ(get_last_error(), OutOfMemory) << file.extension;
    EXPECT_NE(diagnostics.text().find(path), std::string::npos) << diagnostics.text();
    EXPECT_NE(diagnostics.text().find("limit of 20000 bytes"), std::string::npos) << diagnostics.text();
    if (AllocationWatch::kAvailable) EXPECT_LT(largest, kFileLimit) << file.extension;
  }
}

TEST(Limits, AFileAtTheSizeLimitIsRead) {
  TempDir dir;
  const std::string path = dir.file("picture.png");
  ASSERT_EQ(save_image(print_record(70, 70, 4), path), NoError);
  const auto size = read_file_bytes(path).size();
  ImageRecord image;
  image.max_file_size = size;
  EXPECT_EQ(load_image(path, image), NoError);
  image.max_file_size = size - 1;
  ScopedDiagnostics quiet([](std::string_view) {});
  EXPECT_EQ(load_image(path, image), OutOfMemory);
}

TEST(Limits, EachRecordCarriesItsOwnLimits) {
  TempDir dir;
  const std::string path = dir.file("picture.tif");
  ASSERT_EQ(save_image(print_record(100, 80, 4), path), NoError);
  ImageRecord strict;
  strict.max_pixels = 100 * 80 - 1;
  ImageRecord roomy;
  roomy.max_pixels = 100 * 80;
  CapturedDiagnostics diagnostics;
  EXPECT_EQ(load_image(path, strict), BadImageSize);
  EXPECT_NE(diagnostics.text().find("above the pixel limit of 7999"), std::string::npos) << diagnostics.text();
  EXPECT_EQ(load_image(path, roomy), NoError);
  EXPECT_EQ(roomy.width, 100u);
  // The limits survive the reader's reset of the record on failure.
  EXPECT_EQ(strict.max_pixels, 100u * 80 - 1);
  EXPECT_EQ(strict.max_file_size, kDefaultMaxFileSize);
}

TEST(Limits, EachDecoderContextCarriesItsOwnPixelLimit) {
  const std::vector<uint8_t> grey = make_synthetic_print(130, 97, 3);
  std::vector<uint8_t> codestream;
  {
    ScopedDiagnostics quiet([](std::string_view) {});
    ASSERT_EQ(wsq_encode_1(codestream, 0.75f, grey.data(), 130, 97, 8, 500, nullptr), 0);
  }
  WsqDecoder strict;
  strict.max_pixels = 130 * 97 - 1;
  WsqDecoder roomy;
  roomy.max_pixels = 130 * 97;
  std::vector<uint8_t> pixels;
  int32_t width = 0, height = 0, depth = 0, ppi = 0, lossy = 0;
  CapturedDiagnostics diagnostics;
  size_t largest = 0;
  {
    AllocationWatch watch;
    EXPECT_NE(wsq_decode_mem(strict, pixels, width, height, depth, ppi, lossy, codestream.data(),
                             static_cast<int32_t>(codestream.size())),
              0);
    largest = watch.largest();
  }
  EXPECT_NE(diagnostics.text().find("limit of 12609"), std::string::npos) << diagnostics.text();
  // Refused before the coefficient plane or the image was allocated.
  if (AllocationWatch::kAvailable) EXPECT_LT(largest, size_t{130} * 97);
  EXPECT_EQ(wsq_decode_mem(roomy, pixels, width, height, depth, ppi, lossy, codestream.data(),
                           static_cast<int32_t>(codestream.size())),
            0);
  EXPECT_EQ(pixels.size(), size_t{130} * 97);
}

}  // namespace
