/* Decodes a WSQ file with the C interface; prints the size, resolution and a
   sum of the pixels, as the C++ consumer does. */
#include <stdio.h>
#include <stdlib.h>
#include <wsq/wsq_c.h>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  FILE* file = fopen(argv[1], "rb");
  if (file == NULL) return 1;
  static uint8_t bytes[1 << 20];
  const size_t length = fread(bytes, 1, sizeof bytes, file);
  fclose(file);
  wsq_c_image image;
  const int32_t status = wsq_c_decode(bytes, length, NULL, &image);
  if (status != 0) {
    fprintf(stderr, "decode: %s\n", wsq_c_error_text(status));
    return 1;
  }
  unsigned long sum = 0;
  for (size_t i = 0; i < (size_t)image.width * (size_t)image.height; ++i) sum += image.pixels[i];
  printf("%d %d %d %lu\n", image.width, image.height, image.ppi, sum);
  wsq_c_free_image(&image);
  return 0;
}
