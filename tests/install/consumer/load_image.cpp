// Loads a WSQ file through the installed image library's by-extension
// loader; prints its size and resolution.
#include <imagelib/image_library.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  ImageRecord image;
  ImageInfo info;
  if (load_image(argv[1], image, &info) != NoError) return 1;
  std::printf("%u %u %d\n", image.width, image.height, info.ppi);
  return 0;
}
