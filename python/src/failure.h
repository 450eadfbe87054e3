#pragma once
// Failures of the codec and the image library on their way to Python: a C++
// exception carrying the library's code, raised in Python as wsqview.Error.
#include <exception>
#include <optional>
#include <string>

#include <pybind11/pybind11.h>

#include "imagelib/errors.h"

struct Failure : std::exception {
  ImageLibraryError code;
  std::string message;
  std::optional<std::string> path;  // the file concerned, when there is one
  std::string diagnostics;          // what the library wrote while failing
  const char* what() const noexcept override { return message.c_str(); }
};

// A failure with the code's message as this thread sees it (the operating
// system's text for a platform error). Call on the failing thread.
[[noreturn]] void fail(ImageLibraryError code, std::optional<std::string> path = std::nullopt,
                       std::string diagnostics = {});

// Raises Failure in Python as wsqview.error.Error(code, message, path, diagnostics).
void register_failure_translator();
