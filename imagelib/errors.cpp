#include "imagelib/errors.h"

#include <cstring>

namespace {

constexpr int kSlotSize = 128;
constexpr int kCodeCount = 17;

struct ErrorState {
  ImageLibraryError last = NoError;
  int platform_errno = 0;
  char platform_text[kSlotSize] = "Windows API Error";
};

thread_local ErrorState state;

const char* const kMessages[kCodeCount] = {
    "No Error",
    "Corrupted file or invalid file format",
    "Invalid bits per pixel for this file format",
    "Memory allocation error",
    "Invalid requested image size",
    "Invalid bitmap handle",
    nullptr,  // code 6: the platform's text, kept per thread
    "Unable to open file",
    "Unsupported file format option",
    "Invalid pointer to a RUR image",
    "Unsupported file extension",
    "Error reading file",
    "Error writing to the output file",
    "Invalid pointer to a GeoTIFF structure",
    "The background image is undefined",
    "The background image is too small",
    "Corrupt File",
};

// Copies the operating system's text for the recorded errno into slot 6; the
// slot keeps its previous text when there is none.
void refresh_platform_text() {
  if (state.platform_errno == 0) return;
  char buffer[kSlotSize];
  const char* text = strerror_r(state.platform_errno, buffer, sizeof buffer);
  if (text == nullptr || *text == '\0') return;
  std::strncpy(state.platform_text, text, kSlotSize - 1);
  state.platform_text[kSlotSize - 1] = '\0';
}

}  // namespace

ImageLibraryError set_last_error(ImageLibraryError code) {
  state.last = code;
  return code;
}

ImageLibraryError get_last_error() { return state.last; }

ImageLibraryError set_platform_error(int errno_value) {
  state.platform_errno = errno_value;
  return set_last_error(PlatformApiError);
}

const char* get_last_error_message() {
  if (state.last == PlatformApiError) {
    refresh_platform_text();
    return state.platform_text;
  }
  if (state.last >= kCodeCount) return "Unknown error";
  return kMessages[state.last];
}

void get_last_error_message(const char** message) { *message = get_last_error_message(); }
