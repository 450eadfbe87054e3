// The fast entropy-coding paths against their bit-at-a-time references: the
// whole-code writer against putc_code_bits, and the table-driven block
// decoder against the bit-by-bit one, on sound and on damaged block data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "wsq/bit_stream.h"
#include "wsq/codestream.h"
#include "wsq/diagnostics.h"
#include "wsq/huffman_decode.h"
#include "wsq/huffman_encode.h"

namespace {

struct Written {
  std::vector<uint8_t> bytes;
  int32_t count = 0;
};

struct Code {
  uint32_t bits;
  int16_t size;  // 0..32
};

Written write_reference(const std::vector<Code>& codes) {
  Written w;
  w.bytes.assign(codes.size() * 8 + 8, 0);
  uint8_t* position = w.bytes.data();
  int32_t free_bit = 7;
  uint8_t pending = 0;
  // The reference takes at most 16 bits at a time.
  for (const Code& c : codes) {
    const int16_t high = c.size > 16 ? static_cast<int16_t>(c.size - 16) : int16_t{0};
    if (high > 0) {
      putc_code_bits(position, static_cast<uint16_t>(c.bits >> 16), high, free_bit, pending,
                     w.count);
    }
    putc_code_bits(position, static_cast<uint16_t>(c.bits), static_cast<int16_t>(c.size - high),
                   free_bit, pending, w.count);
  }
  flush_code_bits(position, free_bit, pending, w.count);
  w.bytes.resize(static_cast<size_t>(position - w.bytes.data()));
  return w;
}

Written write_whole_codes(const std::vector<Code>& codes) {
  Written w;
  w.bytes.assign(codes.size() * 8 + 8, 0);
  CodeWriter writer(w.bytes.data());
  for (const Code& c : codes) writer.put(c.bits, c.size);
  writer.flush();
  w.count = writer.byte_count();
  w.bytes.resize(static_cast<size_t>(w.count));
  return w;
}

TEST(CodeWriter, MatchesTheBitWriterOnRandomCodes) {
  std::mt19937 generator(5);
  for (int run = 0; run < 300; ++run) {
    std::vector<Code> codes(generator() % 200);
    // Half the runs favour all-ones codes, which make 0xFF bytes to stuff.
    const bool ones = run % 2 == 0;
    for (Code& c : codes) {
      c.size = static_cast<int16_t>(generator() % 33);
      c.bits = ones ? 0xFFFFFFFF : static_cast<uint32_t>(generator());
    }
    const Written expected = write_reference(codes);
    const Written actual = write_whole_codes(codes);
    ASSERT_EQ(actual.count, expected.count) << "run " << run;
    ASSERT_EQ(actual.bytes, expected.bytes) << "run " << run;
  }
}

TEST(CodeWriter, FillsTheLastByteWithOnes) {
  const Written w = write_whole_codes({{0b101, 3}});
  EXPECT_EQ(w.bytes, (std::vector<uint8_t>{0xBF}));
  const Written ones = write_whole_codes({{0x7F, 7}});
  EXPECT_EQ(ones.bytes, (std::vector<uint8_t>{0xFF, 0x00}));
  EXPECT_EQ(ones.count, 2);
}

// Coefficients drawn so that every kind of symbol occurs: short and long
// zero runs, small values and 8- and 16-bit magnitudes.
std::vector<int16_t> random_block(std::mt19937& generator, size_t length) {
  std::vector<int16_t> block;
  while (block.size() < length) {
    const uint32_t kind = generator() % 16;
    if (kind < 5) {
      block.insert(block.end(), generator() % (kind == 0 ? 400 : 12), 0);
    } else if (kind < 13) {
      block.push_back(static_cast<int16_t>(static_cast<int32_t>(generator() % 21) - 10));
    } else if (kind < 15) {
      block.push_back(static_cast<int16_t>(static_cast<int32_t>(generator() % 511) - 255));
    } else {
      block.push_back(static_cast<int16_t>(generator()));
    }
  }
  block.resize(length);
  return block;
}

// A sound stream of tables, block headers and coded blocks up to EOI, as
// the encoder lays them out after the frame header.
std::vector<uint8_t> coded_stream(std::mt19937& generator, const std::vector<size_t>& lengths) {
  std::vector<uint8_t> stream(1 << 20);
  int32_t length = 0;
  std::vector<uint8_t> coded(1 << 19);
  for (size_t b = 0; b < lengths.size(); ++b) {
    const std::vector<int16_t> block = random_block(generator, lengths[b]);
    std::vector<HuffCodeEntry> codes;
    std::vector<uint8_t> huffbits, huffvalues;
    const auto size = static_cast<int32_t>(block.size());
    EXPECT_EQ(generate_block_table(codes, huffbits, huffvalues, block.data(), &size, 1), 0);
    const auto id = static_cast<uint8_t>(b % 2);
    EXPECT_EQ(putc_huffman_segment(kDhtMarker, id, huffbits.data(), huffvalues.data(),
                                   stream.data(), static_cast<int32_t>(stream.size()), length),
              0);
    int32_t hsize = 0;
    EXPECT_EQ(compress_block(coded.data(), static_cast<int32_t>(coded.size()) - kCompressBlockSlack,
                             hsize, block.data(), size, kMaxDirectCoefficient, kMaxDirectZeroRun,
                             codes),
              0);
    EXPECT_EQ(putc_block_segment(id, stream.data(), static_cast<int32_t>(stream.size()), length),
              0);
    stream.resize(static_cast<size_t>(length));
    stream.insert(stream.end(), coded.begin(), coded.begin() + hsize);
    length += hsize;
    stream.resize(1 << 20);
  }
  stream.resize(static_cast<size_t>(length));
  stream.push_back(0xFF);
  stream.push_back(0xA1);
  return stream;
}

struct Outcome {
  int32_t ret = 0;
  std::vector<int16_t> coefficients;
  int32_t written = 0;
  ptrdiff_t consumed = 0;
  std::string messages;
};

Outcome decode(const std::vector<uint8_t>& stream, SymbolPath path, int32_t capacity) {
  TransformTable transform;
  QuantTable quant;
  HuffmanTableSet huffman;
  BitReaderState state;
  Outcome o;
  o.coefficients.assign(static_cast<size_t>(capacity), 0x5A5A);
  const uint8_t* cursor = stream.data();
  CapturedDiagnostics diag;
  o.ret = huffman_decode_data_mem(o.coefficients.data(), capacity, transform, quant, huffman,
                                  state, cursor, stream.data() + stream.size(), path, &o.written);
  o.consumed = cursor - stream.data();
  o.messages = diag.text();
  return o;
}

void expect_same_paths(const std::vector<uint8_t>& stream, int32_t capacity,
                       const std::string& what) {
  const Outcome expected = decode(stream, SymbolPath::bit_by_bit, capacity);
  const Outcome actual = decode(stream, SymbolPath::lookup, capacity);
  ASSERT_EQ(actual.ret, expected.ret) << what << "\n" << expected.messages;
  ASSERT_EQ(actual.messages, expected.messages) << what;
  ASSERT_EQ(actual.written, expected.written) << what;
  // The coefficients written agree, and past the scratch the table path may
  // leave after them, both leave the entries as they were.
  const auto written = static_cast<size_t>(expected.written);
  const size_t untouched = std::min(expected.coefficients.size(), written + kLookupScratch);
  const auto slice = [](const Outcome& o, size_t from, size_t to) {
    return std::vector<int16_t>(o.coefficients.begin() + from, o.coefficients.begin() + to);
  };
  const size_t size = expected.coefficients.size();
  ASSERT_EQ(slice(actual, 0, written), slice(expected, 0, written)) << what;
  ASSERT_EQ(slice(actual, untouched, size), slice(expected, untouched, size)) << what;
  ASSERT_EQ(actual.consumed, expected.consumed) << what;
}

TEST(BlockDecoderPaths, AgreeOnSoundBlocks) {
  std::mt19937 generator(17);
  for (int run = 0; run < 40; ++run) {
    const std::vector<size_t> lengths = {1 + generator() % 3000, 1 + generator() % 3000,
                                         1 + generator() % 300};
    const std::vector<uint8_t> stream = coded_stream(generator, lengths);
    const auto total = static_cast<int32_t>(lengths[0] + lengths[1] + lengths[2]);
    const Outcome o = decode(stream, SymbolPath::lookup, total);
    ASSERT_EQ(o.ret, 0) << o.messages;
    expect_same_paths(stream, total, "run " + std::to_string(run));
    // Too small an output is refused the same way on both paths.
    expect_same_paths(stream, total - 1 - static_cast<int32_t>(generator() % 50),
                      "short output, run " + std::to_string(run));
  }
}

TEST(BlockDecoderPaths, AgreeOnDamagedBlocks) {
  std::mt19937 generator(23);
  const std::vector<uint8_t> sound = coded_stream(generator, {2000, 1500, 700});
  for (int run = 0; run < 400; ++run) {
    std::vector<uint8_t> stream = sound;
    const size_t at = 40 + generator() % (stream.size() - 40);
    switch (run % 4) {
      case 0:  // a flipped byte
        stream[at] ^= static_cast<uint8_t>(1 + generator() % 255);
        break;
      case 1:  // a marker or stuffing inside block data
        stream[at] = 0xFF;
        if (at + 1 < stream.size()) {
          stream[at + 1] = static_cast<uint8_t>(generator() % 3 ? 0xA0 + generator() % 9 : 0);
        }
        break;
      case 2:  // data that ends early
        stream.resize(at);
        break;
      default:  // a run of random bytes
        for (size_t i = at; i < std::min(stream.size(), at + 16); ++i) {
          stream[i] = static_cast<uint8_t>(generator());
        }
    }
    expect_same_paths(stream, 4200, "run " + std::to_string(run));
  }
}

}  // namespace
