// This codec side by side with its peers on the same images, in memory:
// OpenJPEG (JPEG 2000, 9/7 irreversible, one layer, at the bits per pixel
// the WSQ codestream achieved) and libjpeg (the quality whose size comes
// nearest that rate). Each case is timed by Google Benchmark, repeated, and
// the best run is kept (the machine is shared); a table of MP/s, bits per
// pixel and PSNR and the speed ratios follow the benchmark output.
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <openjpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tools/synthetic_print.h"
#include "wsq/decoder.h"
#include "wsq/diagnostics.h"
#include "wsq/encoder.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Image {
  std::string name;
  int width;
  int height;
  float wsq_rate;
  Bytes pixels;
};

// A print with strong noise, so that entropy coding weighs in.
Bytes noisy_print(int width, int height) {
  Bytes pixels = make_synthetic_print(width, height, 3);
  std::mt19937 generator(3);
  for (uint8_t& p : pixels) {
    const int v = p + static_cast<int>(generator() >> 26) - 32;
    p = static_cast<uint8_t>(std::clamp(v, 0, 255));
  }
  return pixels;
}

double pixel_count(const Image& image) {
  return static_cast<double>(image.width) * image.height;
}

double psnr(const Bytes& a, const Bytes& b) {
  double sum = 0.0;
  for (size_t i = 0; i < a.size(); ++i) {
    const double d = static_cast<double>(a[i]) - b[i];
    sum += d * d;
  }
  if (sum == 0.0) return INFINITY;
  return 10.0 * std::log10(255.0 * 255.0 * static_cast<double>(a.size()) / sum);
}

// ---- WSQ ----

Bytes wsq_encode(const Image& image, int threads) {
  ScopedDiagnostics quiet([](std::string_view) {});
  WsqEncoder encoder;
  encoder.threads = threads;
  Bytes codestream;
  wsq_encode_1(encoder, codestream, image.wsq_rate, image.pixels.data(), image.width,
               image.height, 8, 500, nullptr);
  return codestream;
}

Bytes wsq_decode(const Bytes& codestream, int threads) {
  WsqDecoder decoder;
  decoder.threads = threads;
  Bytes pixels;
  int32_t width = 0, height = 0, depth = 0, ppi = 0, lossy = 0;
  wsq_decode_mem(decoder, pixels, width, height, depth, ppi, lossy, codestream.data(),
                 static_cast<int32_t>(codestream.size()));
  return pixels;
}

// ---- OpenJPEG, through memory streams ----

struct MemoryStream {
  Bytes* data;
  size_t position = 0;
};

OPJ_SIZE_T stream_read(void* buffer, OPJ_SIZE_T size, void* user) {
  auto* s = static_cast<MemoryStream*>(user);
  const size_t left = s->data->size() - s->position;
  if (left == 0) return static_cast<OPJ_SIZE_T>(-1);
  const size_t n = std::min<size_t>(size, left);
  std::memcpy(buffer, s->data->data() + s->position, n);
  s->position += n;
  return n;
}

OPJ_SIZE_T stream_write(void* buffer, OPJ_SIZE_T size, void* user) {
  auto* s = static_cast<MemoryStream*>(user);
  if (s->position + size > s->data->size()) s->data->resize(s->position + size);
  std::memcpy(s->data->data() + s->position, buffer, size);
  s->position += size;
  return size;
}

OPJ_OFF_T stream_skip(OPJ_OFF_T offset, void* user) {
  auto* s = static_cast<MemoryStream*>(user);
  s->position += static_cast<size_t>(offset);
  if (s->position > s->data->size()) s->data->resize(s->position);
  return offset;
}

OPJ_BOOL stream_seek(OPJ_OFF_T offset, void* user) {
  auto* s = static_cast<MemoryStream*>(user);
  s->position = static_cast<size_t>(offset);
  return OPJ_TRUE;
}

opj_stream_t* memory_stream(MemoryStream& s, bool input) {
  opj_stream_t* stream = opj_stream_create(1 << 16, input ? OPJ_TRUE : OPJ_FALSE);
  opj_stream_set_user_data(stream, &s, nullptr);
  if (input) {
    opj_stream_set_user_data_length(stream, s.data->size());
    opj_stream_set_read_function(stream, stream_read);
  } else {
    opj_stream_set_write_function(stream, stream_write);
  }
  opj_stream_set_skip_function(stream, stream_skip);
  opj_stream_set_seek_function(stream, stream_seek);
  return stream;
}

Bytes jp2k_encode(const Image& image, double bits_per_pixel) {
  opj_cparameters_t parameters;
  opj_set_default_encoder_parameters(&parameters);
  parameters.tcp_numlayers = 1;
  parameters.tcp_rates[0] = static_cast<float>(8.0 / bits_per_pixel);
  parameters.cp_disto_alloc = 1;
  parameters.irreversible = 1;
  opj_image_cmptparm_t component{};
  component.dx = component.dy = 1;
  component.w = static_cast<OPJ_UINT32>(image.width);
  component.h = static_cast<OPJ_UINT32>(image.height);
  component.prec = 8;
  opj_image_t* picture = opj_image_create(1, &component, OPJ_CLRSPC_GRAY);
  picture->x1 = component.w;
  picture->y1 = component.h;
  std::copy(image.pixels.begin(), image.pixels.end(), picture->comps[0].data);
  opj_codec_t* codec = opj_create_compress(OPJ_CODEC_J2K);
  opj_setup_encoder(codec, &parameters, picture);
  Bytes out;
  MemoryStream s{&out};
  opj_stream_t* stream = memory_stream(s, false);
  const bool ok = opj_start_compress(codec, picture, stream) && opj_encode(codec, stream) &&
                  opj_end_compress(codec, stream);
  opj_stream_destroy(stream);
  opj_destroy_codec(codec);
  opj_image_destroy(picture);
  if (!ok) out.clear();
  return out;
}

Bytes jp2k_decode(Bytes& codestream) {
  opj_dparameters_t parameters;
  opj_set_default_decoder_parameters(&parameters);
  opj_codec_t* codec = opj_create_decompress(OPJ_CODEC_J2K);
  opj_setup_decoder(codec, &parameters);
  MemoryStream s{&codestream};
  opj_stream_t* stream = memory_stream(s, true);
  opj_image_t* picture = nullptr;
  Bytes pixels;
  if (opj_read_header(stream, codec, &picture) && opj_decode(codec, stream, picture) &&
      opj_end_decompress(codec, stream)) {
    const opj_image_comp_t& c = picture->comps[0];
    pixels.resize(static_cast<size_t>(c.w) * c.h);
    for (size_t i = 0; i < pixels.size(); ++i) {
      pixels[i] = static_cast<uint8_t>(std::clamp<OPJ_INT32>(c.data[i], 0, 255));
    }
  }
  if (picture) opj_image_destroy(picture);
  opj_stream_destroy(stream);
  opj_destroy_codec(codec);
  return pixels;
}

// ---- libjpeg ----

Bytes jpeg_encode(const Image& image, int quality) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr error;
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(image.width);
  cinfo.image_height = static_cast<JDIMENSION>(image.height);
  cinfo.input_components = 1;
  cinfo.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(image.pixels.data() +
                                        static_cast<size_t>(cinfo.next_scanline) * image.width);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

Bytes jpeg_decode(const Bytes& data) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr error;
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  Bytes pixels(static_cast<size_t>(cinfo.output_width) * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = pixels.data() + static_cast<size_t>(cinfo.output_scanline) * cinfo.output_width;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return pixels;
}

// The quality whose file size comes nearest `bytes` (sizes grow with quality).
int jpeg_quality_for(const Image& image, size_t bytes) {
  int low = 1, high = 100;
  while (low < high) {
    const int mid = (low + high) / 2;
    if (jpeg_encode(image, mid).size() < bytes) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  const auto distance = [&](int q) {
    const double size = static_cast<double>(jpeg_encode(image, q).size());
    return std::fabs(size - static_cast<double>(bytes));
  };
  return low > 1 && distance(low - 1) < distance(low) ? low - 1 : low;
}

// ---- the cases ----

struct Coded {
  Bytes data;
  Bytes decoded;
};

// Everything one image needs for its cases, made once.
struct Prepared {
  Image image;
  Coded wsq;
  Coded jp2k;
  Coded jpeg;
  int jpeg_quality = 0;
};

double bits_per_pixel(const Prepared& p, const Bytes& data) {
  return 8.0 * static_cast<double>(data.size()) / pixel_count(p.image);
}

Prepared prepare(Image image) {
  Prepared p;
  p.image = std::move(image);
  p.wsq.data = wsq_encode(p.image, 1);
  p.wsq.decoded = wsq_decode(p.wsq.data, 1);
  const double rate = bits_per_pixel(p, p.wsq.data);
  p.jp2k.data = jp2k_encode(p.image, rate);
  p.jp2k.decoded = jp2k_decode(p.jp2k.data);
  p.jpeg_quality = jpeg_quality_for(p.image, p.wsq.data.size());
  p.jpeg.data = jpeg_encode(p.image, p.jpeg_quality);
  p.jpeg.decoded = jpeg_decode(p.jpeg.data);
  return p;
}

// Best seconds per run of each case, by name: processor time of the
// benchmark thread (single-threaded cases, least disturbed by other load on
// a shared machine) and wall time (for the thread-count comparison).
struct Best {
  double cpu = INFINITY;
  double real = INFINITY;
};
std::map<std::string, Best> best_seconds;

class BestRunReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
      const auto iterations = static_cast<double>(run.iterations);
      Best& best = best_seconds[run.run_name.function_name];
      best.cpu = std::min(best.cpu, run.cpu_accumulated_time / iterations);
      best.real = std::min(best.real, run.real_accumulated_time / iterations);
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

void add_case(const std::string& name, const Prepared& p, std::function<void()> work,
              bool wall_time = false) {
  const double megapixels = pixel_count(p.image) / 1e6;
  auto* b = benchmark::RegisterBenchmark(name.c_str(), [work, megapixels](benchmark::State& state) {
    for (auto _ : state) work();
    state.counters["MP/s"] =
        benchmark::Counter(megapixels, benchmark::Counter::kIsIterationInvariantRate);
  });
  b->Unit(benchmark::kMillisecond)->Repetitions(5)->MinTime(0.2);
  if (wall_time) b->UseRealTime();
}

void add_cases(Prepared& p, bool with_threads) {
  const std::string& n = p.image.name;
  add_case(n + "/wsq/encode", p, [&p] { benchmark::DoNotOptimize(wsq_encode(p.image, 1)); });
  add_case(n + "/wsq/decode", p, [&p] { benchmark::DoNotOptimize(wsq_decode(p.wsq.data, 1)); });
  if (with_threads) {
    add_case(
        n + "/wsq/encode/2threads", p, [&p] { benchmark::DoNotOptimize(wsq_encode(p.image, 2)); },
        true);
    add_case(
        n + "/wsq/decode/2threads", p,
        [&p] { benchmark::DoNotOptimize(wsq_decode(p.wsq.data, 2)); }, true);
  }
  const double rate = bits_per_pixel(p, p.wsq.data);
  add_case(n + "/jp2k/encode", p,
           [&p, rate] { benchmark::DoNotOptimize(jp2k_encode(p.image, rate)); });
  add_case(n + "/jp2k/decode", p, [&p] { benchmark::DoNotOptimize(jp2k_decode(p.jp2k.data)); });
  add_case(n + "/jpeg/encode", p,
           [&p] { benchmark::DoNotOptimize(jpeg_encode(p.image, p.jpeg_quality)); });
  add_case(n + "/jpeg/decode", p, [&p] { benchmark::DoNotOptimize(jpeg_decode(p.jpeg.data)); });
}

// Megapixels per second of processor time.
double rate_of(const Prepared& p, const std::string& what) {
  const auto at = best_seconds.find(p.image.name + "/" + what);
  return at == best_seconds.end() ? NAN : pixel_count(p.image) / 1e6 / at->second.cpu;
}

// How much faster two threads are than one, in wall time.
double thread_gain(const Prepared& p, const std::string& what) {
  const auto one = best_seconds.find(p.image.name + "/wsq/" + what);
  const auto two = best_seconds.find(p.image.name + "/wsq/" + what + "/2threads");
  if (one == best_seconds.end() || two == best_seconds.end()) return NAN;
  return one->second.real / two->second.real;
}

void print_table(const std::vector<std::unique_ptr<Prepared>>& prepared) {
  std::printf("\nBest of 5 runs; MP/s of processor time, one thread; PSNR in dB.\n");
  std::printf("%-22s %-6s %10s %10s %7s %7s\n", "image", "codec", "enc MP/s", "dec MP/s",
              "bpp", "PSNR");
  for (const auto& p : prepared) {
    const struct {
      const char* codec;
      const Coded& coded;
    } rows[] = {{"wsq", p->wsq}, {"jp2k", p->jp2k}, {"jpeg", p->jpeg}};
    for (const auto& row : rows) {
      std::printf("%-22s %-6s %10.1f %10.1f %7.3f %7.2f\n", p->image.name.c_str(), row.codec,
                  rate_of(*p, std::string(row.codec) + "/encode"),
                  rate_of(*p, std::string(row.codec) + "/decode"), bits_per_pixel(*p, row.coded.data),
                  psnr(p->image.pixels, row.coded.decoded));
    }
  }
  std::printf("\nRatios (speed of wsq over jp2k; time of wsq over jpeg; wall-time gain of two "
              "threads over one):\n");
  std::printf("%-22s %12s %12s %12s %12s %9s %9s\n", "image", "dec vs jp2k", "dec vs jpeg",
              "enc vs jp2k", "enc vs jpeg", "dec 2thr", "enc 2thr");
  for (const auto& p : prepared) {
    const double dec = rate_of(*p, "wsq/decode");
    const double enc = rate_of(*p, "wsq/encode");
    std::printf("%-22s %11.2fx %11.2fx %11.2fx %11.2fx %8.2fx %8.2fx\n", p->image.name.c_str(),
                dec / rate_of(*p, "jp2k/decode"), rate_of(*p, "jpeg/decode") / dec,
                enc / rate_of(*p, "jp2k/encode"), rate_of(*p, "jpeg/encode") / enc,
                thread_gain(*p, "decode"), thread_gain(*p, "encode"));
  }
  std::printf("(targets: dec vs jp2k >= 4x, dec vs jpeg <= 3x, enc vs jp2k >= 20x, "
              "enc vs jpeg <= 3x, 2 threads >= 1.7x on 4000 x 4000)\n");
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  std::vector<std::unique_ptr<Prepared>> prepared;
  const auto add = [&](Image image, bool with_threads) {
    prepared.push_back(std::make_unique<Prepared>(prepare(std::move(image))));
    add_cases(*prepared.back(), with_threads);
  };
  add({"print_800x750", 800, 750, 0.75f, make_synthetic_print(800, 750, 1)}, false);
  add({"print_1600x1500", 1600, 1500, 0.75f, make_synthetic_print(1600, 1500, 2)}, true);
  add({"palm_4000x4000", 4000, 4000, 0.75f, make_synthetic_print(4000, 4000, 4)}, true);
  add({"noisy_print_2.25bpp", 800, 750, 2.25f, noisy_print(800, 750)}, false);
  BestRunReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  print_table(prepared);
  benchmark::Shutdown();
  return 0;
}
