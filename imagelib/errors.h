#pragma once
// The image library's result codes, its last error (one per thread) and the
// fixed message table.
#include <cstdint>

enum ImageLibraryError : uint8_t {
  NoError = 0,
  CorruptFile = 1,
  BadBitsPerPixel = 2,
  OutOfMemory = 3,
  BadImageSize = 4,
  BadBitmapHandle = 5,
  PlatformApiError = 6,
  CannotOpenFile = 7,
  UnsupportedOption = 8,
  BadImagePointer = 9,
  UnsupportedExtension = 10,
  ReadError = 11,
  WriteError = 12,
  BadGeoTiffPointer = 13,
  NoBackgroundImage = 14,
  BackgroundTooSmall = 15,
  CorruptData = 16,
};

// Stores the code as this thread's last error and returns it.
ImageLibraryError set_last_error(ImageLibraryError code);
ImageLibraryError get_last_error();

// Records a failing operating-system call: remembers errno_value as the
// platform error whose text code 6's message shows, and sets the last error
// to PlatformApiError. Returns PlatformApiError.
ImageLibraryError set_platform_error(int errno_value);

// Sets *message to the message of the last error. For code 6 the slot is first
// rewritten with the operating system's text for the recorded platform error.
void get_last_error_message(const char** message);
// The same, returned directly.
const char* get_last_error_message();
