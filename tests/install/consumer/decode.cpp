// Decodes a WSQ file with the C++ interface, encodes it again and decodes the
// result; prints the size, resolution and a sum of the first decode's pixels.
#include <wsq/wsq.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <numeric>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::ifstream file(argv[1], std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
  wsq::Image image;
  if (const wsq::Error error = wsq::decode(bytes, image); error != wsq::Error::ok) {
    std::fprintf(stderr, "decode: %s\n", wsq::error_text(error));
    return 1;
  }
  wsq::EncodeParams params;
  params.ppi = image.ppi;
  std::vector<uint8_t> encoded;
  wsq::Options quiet;
  quiet.messages = [](std::string_view) {};
  wsq::Image again;
  if (wsq::encode(image.pixels, image.width, image.height, params, encoded, quiet) !=
          wsq::Error::ok ||
      wsq::decode(encoded, again) != wsq::Error::ok || again.width != image.width ||
      again.height != image.height || again.ppi != image.ppi) {
    std::fprintf(stderr, "the encoded image does not decode to the same size\n");
    return 1;
  }
  const unsigned long sum = std::accumulate(image.pixels.begin(), image.pixels.end(), 0ul);
  std::printf("%d %d %d %lu\n", image.width, image.height, image.ppi, sum);
  return 0;
}
