// Fuzzes the PCX reader. The reader takes a file name, so each input is
// written to a file of this process first.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "imagelib/formats/pcx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/fuzz_pcx_" + std::to_string(::getpid()) + ".pcx";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  const bool written = std::fwrite(data, 1, size, file) == size;
  std::fclose(file);
  if (written) {
    ImageRecord image;
    image.max_pixels = 1 << 22;  // keeps each run quick; larger sizes take the same paths
    read_pcx(path, image);
  }
  std::remove(path.c_str());
  return 0;
}
