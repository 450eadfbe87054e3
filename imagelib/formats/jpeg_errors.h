#pragma once
// libjpeg's error manager for the reader and writer: the library's messages
// go to the diagnostics sink, and an error (or a file that ends early) ends
// the operation by a long jump back to the caller's setjmp.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

// Installs the standard manager with the replaced routines; the result goes
// into the err field of the compress or decompress structure.
jpeg_error_mgr* jpeg_errors_to_diagnostics(JpegErrors& errors);
