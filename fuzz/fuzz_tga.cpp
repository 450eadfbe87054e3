// Fuzzes the Targa reader. The reader takes a file name, so each input is
// written to a file of this process first. Every picture the reader accepts
// must also write and read back.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "imagelib/formats/tga.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/fuzz_tga_" + std::to_string(::getpid()) + ".tga";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  const bool written = std::fwrite(data, 1, size, file) == size;
  std::fclose(file);
  ImageRecord image;
  image.max_pixels = 1 << 22;  // keeps each run quick; larger sizes take the same paths
  if (written && read_tga(path, image) == NoError) {
    ImageRecord back;
    back.max_pixels = image.max_pixels;
    if (write_tga(path, image) != NoError || read_tga(path, back) != NoError) std::abort();
    if (back.width != image.width || back.height != image.height) std::abort();
  }
  std::remove(path.c_str());
  return 0;
}
