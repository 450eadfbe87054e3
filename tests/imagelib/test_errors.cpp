#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "imagelib/errors.h"

namespace {

TEST(Errors, EveryCodeHasItsMessage) {
  set_last_error(CorruptFile);
  EXPECT_STREQ(get_last_error_message(), "Corrupted file or invalid file format");
  set_last_error(UnsupportedExtension);
  const char* message = nullptr;
  get_last_error_message(&message);
  EXPECT_STREQ(message, "Unsupported file extension");
  set_last_error(CorruptData);
  EXPECT_STREQ(get_last_error_message(), "Corrupt File");
  set_last_error(NoError);
  EXPECT_STREQ(get_last_error_message(), "No Error");
}

TEST(Errors, PlatformErrorShowsTheSystemsText) {
  EXPECT_EQ(set_platform_error(ENOENT), PlatformApiError);
  EXPECT_EQ(get_last_error(), PlatformApiError);
  EXPECT_STREQ(get_last_error_message(), std::strerror(ENOENT));
}

TEST(Errors, LastErrorIsPerThread) {
  set_last_error(WriteError);
  ImageLibraryError seen = NoError;
  std::thread other([&] { seen = get_last_error(); set_last_error(ReadError); });
  other.join();
  EXPECT_EQ(seen, NoError);
  EXPECT_EQ(get_last_error(), WriteError);
}

}  // namespace
