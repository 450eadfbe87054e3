#pragma once
// The frame of the hand-built reader tests (CEL, IFF/ILBM, PSD): writes the
// built bytes to a file, reads it through one reader and looks at the record.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "imagelib/image_record.h"
#include "tests/formats/hand_format_bytes.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

template <ImageLibraryError (*Reader)(const std::string&, ImageRecord&)>
class ReaderTest : public ::testing::Test {
 protected:
  explicit ReaderTest(const std::string& file_name) : path_(dir_.file(file_name)) {}

  ImageLibraryError read(const FileBytes& file) {
    write_file_bytes(path_, file.bytes);
    return Reader(path_, image_);
  }
  // The pixel bytes of record row y (row 0 is the bottom of the picture).
  std::vector<uint8_t> row(uint32_t y) const {
    return {image_.row(y), image_.row(y) + image_.width * image_.bits_per_pixel / 8};
  }
  // Blue, green, red of palette entry index.
  std::vector<uint8_t> entry(size_t index) const {
    const uint8_t* e = image_.palette.data() + index * image_.palette_entry_size;
    return {e, e + 3};
  }
  // The read fails with code, records it and leaves the record without buffers.
  void expect_failure(const FileBytes& file, ImageLibraryError code) {
    EXPECT_EQ(read(file), code);
    EXPECT_EQ(get_last_error(), code);
    EXPECT_TRUE(image_.pixels.empty());
    EXPECT_TRUE(image_.palette.empty());
  }

  TempDir dir_;
  std::string path_;
  ImageRecord image_;
};
