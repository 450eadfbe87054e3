// Fuzzes the SGI image reader. The reader takes a file name, so each input is
// written to a file of this process first. Every picture the reader accepts
// must also write and read back.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "imagelib/formats/sgi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/fuzz_sgi_" + std::to_string(::getpid()) + ".rgb";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  const bool written = std::fwrite(data, 1, size, file) == size;
  std::fclose(file);
  ImageRecord image;
  image.max_pixels = 1 << 22;  // keeps each run quick; larger sizes take the same paths
  if (written && read_rgb(path, image) == NoError) {
    ImageRecord back;
    back.max_pixels = image.max_pixels;
    if (write_rgb(path, image) != NoError || read_rgb(path, back) != NoError) std::abort();
    if (back.width != image.width || back.height != image.height) std::abort();
  }
  std::remove(path.c_str());
  return 0;
}
