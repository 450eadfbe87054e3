// Separate codec contexts and the image library's readers and writers used
// from several threads at once give exactly the results of one thread. Run
// under ThreadSanitizer in CI (the suite name carries "Thread").
#include <gtest/gtest.h>

#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "imagelib/image_library.h"
#include "tests/reliability/sample_images.h"
#include "tests/support/temp_dir.h"
#include "wsq/decoder.h"
#include "wsq/diagnostics.h"
#include "wsq/encoder.h"

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 3;

struct EncodeCase {
  int width;
  int height;
  uint32_t seed;
  float bitrate;
};

const EncodeCase kCases[] = {{96, 112, 1, 0.75f}, {130, 97, 2, 2.25f}, {160, 140, 3, 1.5f}};

struct Encoded {
  std::vector<uint8_t> codestream;
  std::string diagnostics;
};

Encoded encode(const EncodeCase& c) {
  const std::vector<uint8_t> pixels = make_synthetic_print(c.width, c.height, c.seed);
  Encoded out;
  CapturedDiagnostics captured;
  EXPECT_EQ(wsq_encode_1(out.codestream, c.bitrate, pixels.data(), c.width, c.height, 8, 500, nullptr), 0);
  out.diagnostics = captured.text();
  return out;
}

struct Decoded {
  std::vector<uint8_t> pixels;
  int32_t width = 0, height = 0, depth = 0, ppi = 0, lossy = 0;
  bool operator==(const Decoded&) const = default;
};

Decoded decode(WsqDecoder& decoder, const std::vector<uint8_t>& codestream) {
  Decoded d;
  EXPECT_EQ(wsq_decode_mem(decoder, d.pixels, d.width, d.height, d.depth, d.ppi, d.lossy, codestream.data(),
                           static_cast<int32_t>(codestream.size())),
            0);
  return d;
}

// Runs body(thread index) on kThreads threads released together.
template <typename Body>
void on_threads(Body body) {
  std::latch start(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      start.arrive_and_wait();
      body(t);
    });
  }
  for (std::thread& thread : threads) thread.join();
}

TEST(ThreadSafety, EncodesOnManyThreadsGiveTheBytesAndTextsOfOneThread) {
  std::vector<Encoded> expected;
  for (const EncodeCase& c : kCases) expected.push_back(encode(c));
  std::vector<std::vector<Encoded>> results(kThreads);
  on_threads([&](int t) {
    for (int round = 0; round < kRounds; ++round) {
      for (const EncodeCase& c : kCases) results[t].push_back(encode(c));
    }
  });
  for (const auto& per_thread : results) {
    ASSERT_EQ(per_thread.size(), kRounds * std::size(kCases));
    for (size_t i = 0; i < per_thread.size(); ++i) {
      const Encoded& want = expected[i % std::size(kCases)];
      EXPECT_EQ(per_thread[i].codestream, want.codestream);
      // Each thread's diagnostics reach its own sink, whole and unmixed.
      EXPECT_EQ(per_thread[i].diagnostics, want.diagnostics);
    }
  }
}

TEST(ThreadSafety, DecodesOnSeparateContextsGiveThePixelsOfOneThread) {
  std::vector<std::vector<uint8_t>> codestreams;
  std::vector<Decoded> expected;
  for (const EncodeCase& c : kCases) {
    codestreams.push_back(encode(c).codestream);
    WsqDecoder decoder;
    expected.push_back(decode(decoder, codestreams.back()));
  }
  std::vector<std::vector<Decoded>> results(kThreads);
  on_threads([&](int t) {
    ScopedDiagnostics quiet([](std::string_view) {});
    WsqDecoder decoder;  // one long-lived context per thread, reused
    for (int round = 0; round < kRounds; ++round) {
      for (const auto& codestream : codestreams) results[t].push_back(decode(decoder, codestream));
    }
  });
  for (const auto& per_thread : results) {
    ASSERT_EQ(per_thread.size(), kRounds * codestreams.size());
    for (size_t i = 0; i < per_thread.size(); ++i) EXPECT_TRUE(per_thread[i] == expected[i % codestreams.size()]);
  }
}

const char* const kExtensions[] = {"wsq", "bmp", "tga", "rgb", "png", "tif", "jpg"};

// Saves the record in every writable format under prefix and loads each back.
std::vector<ImageRecord> save_and_load_all(const ImageRecord& image, const std::string& prefix) {
  ImageInfo info;
  info.bitrate = 0.75;
  info.ppi = 500;
  std::vector<ImageRecord> loaded;
  for (const char* extension : kExtensions) {
    const std::string path = prefix + "." + extension;
    EXPECT_EQ(save_image(image, path, &info), NoError) << path;
    ImageRecord back;
    ImageInfo back_info;
    EXPECT_EQ(load_image(path, back, &back_info), NoError) << path;
    loaded.push_back(std::move(back));
  }
  return loaded;
}

TEST(ThreadSafety, ReadersAndWritersOnManyThreadsGiveThePicturesOfOneThread) {
  TempDir dir;
  const ImageRecord image = print_record(120, 90, 5);
  std::vector<ImageRecord> expected;
  {
    ScopedDiagnostics quiet([](std::string_view) {});
    expected = save_and_load_all(image, dir.file("alone"));
  }
  std::vector<std::vector<ImageRecord>> results(kThreads);
  on_threads([&](int t) {
    ScopedDiagnostics quiet([](std::string_view) {});
    for (int round = 0; round < kRounds; ++round) {
      for (ImageRecord& back : save_and_load_all(image, dir.file("thread" + std::to_string(t)))) {
        results[t].push_back(std::move(back));
      }
    }
  });
  for (const auto& per_thread : results) {
    ASSERT_EQ(per_thread.size(), kRounds * std::size(kExtensions));
    for (size_t i = 0; i < per_thread.size(); ++i) {
      const ImageRecord& want = expected[i % std::size(kExtensions)];
      EXPECT_EQ(per_thread[i].width, want.width);
      EXPECT_EQ(per_thread[i].bits_per_pixel, want.bits_per_pixel);
      EXPECT_EQ(per_thread[i].pixels, want.pixels) << kExtensions[i % std::size(kExtensions)];
    }
  }
}

TEST(ThreadSafety, EachThreadSeesItsOwnLastError) {
  TempDir dir;
  const ImageRecord image = print_record(70, 70, 6);
  ASSERT_EQ(save_image(image, dir.file("good.bmp")), NoError);
  std::vector<ImageLibraryError> seen(kThreads);
  std::latch both_done(kThreads);
  on_threads([&](int t) {
    ImageRecord back;
    // Even threads fail, odd threads succeed; each then reads its own code
    // after all have finished their call.
    load_image(dir.file(t % 2 == 0 ? "missing.bmp" : "good.bmp"), back);
    both_done.arrive_and_wait();
    seen[t] = get_last_error();
  });
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(seen[t], t % 2 == 0 ? CannotOpenFile : NoError) << t;
}

}  // namespace
