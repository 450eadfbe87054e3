#pragma once
// WSQ codestream segments: markers, the readers that fill the table state and
// the writers the encoder uses. Readers take the segment body (everything
// after the marker) through a cursor and end pointer; writers append a whole
// segment, marker included, to a bounded output buffer. Every operation
// returns 0 or the negative code of its first failure, after writing its
// message.
#include <cstdint>
#include <string>

#include "wsq/tables.h"

inline constexpr uint16_t kSoiMarker = 0xFFA0;
inline constexpr uint16_t kEoiMarker = 0xFFA1;
inline constexpr uint16_t kSofMarker = 0xFFA2;
inline constexpr uint16_t kSobMarker = 0xFFA3;
inline constexpr uint16_t kDttMarker = 0xFFA4;
inline constexpr uint16_t kDqtMarker = 0xFFA5;
inline constexpr uint16_t kDhtMarker = 0xFFA6;
inline constexpr uint16_t kComMarker = 0xFFA8;

// Which markers getc_marker_wsq accepts at a point of the codestream.
enum class MarkerSet {
  soi_only,        // SOI
  tables_or_sof,   // DTT, DQT, DHT, COM or SOF
  tables_or_sob,   // DTT, DQT, DHT, COM or SOB
  any,             // every word whose high byte is 0xFF
};

int32_t getc_marker_wsq(uint16_t& marker, MarkerSet expected, const uint8_t*& cursor,
                        const uint8_t* end);

// Reads the segment after a DTT, DQT, DHT or COM marker into the table state
// (a comment's text is discarded); any other marker fails with -93.
int32_t getc_table_wsq(uint16_t marker, TransformTable& transform, QuantTable& quant,
                       HuffmanTableSet& huffman, const uint8_t*& cursor, const uint8_t* end);

int32_t getc_transform_table(TransformTable& transform, const uint8_t*& cursor,
                             const uint8_t* end);
int32_t getc_quant_table(QuantTable& quant, const uint8_t*& cursor, const uint8_t* end);
int32_t getc_huffman_table_wsq(HuffmanTableSet& huffman, const uint8_t*& cursor,
                               const uint8_t* end);

// Reads one table of a DHT segment. With `read_length` the segment length is
// read first and `remaining` set from it; each table read lowers `remaining`
// by the bytes it takes.
int32_t getc_huffman_table(uint8_t& table_id, std::array<uint8_t, kMaxHuffbits>& huffbits,
                           std::array<uint8_t, kHuffvaluesSize>& huffvalues,
                           const uint8_t*& cursor, const uint8_t* end, bool read_length,
                           int32_t& remaining);

int32_t getc_frame_segment(FrameHeader& frame, const uint8_t*& cursor, const uint8_t* end);
int32_t getc_block_segment(uint8_t& table_id, const uint8_t*& cursor, const uint8_t* end);
int32_t getc_comment(std::string& text, const uint8_t*& cursor, const uint8_t* end);
// Skips one segment by its length; `marker` only names it in the message.
int32_t getc_skip_marker_segment(uint16_t marker, const uint8_t*& cursor, const uint8_t* end);

// Writers. `buffer` holds `capacity` bytes of which `length` are in use.
int32_t putc_transform_table(const float* lofilt, int32_t losize, const float* hifilt,
                             int32_t hisize, uint8_t* buffer, int32_t capacity,
                             int32_t& length);
// `bin_width` and `zero_bin_width` hold one entry per subband (64).
int32_t putc_quantization_table(const float* bin_width, const float* zero_bin_width,
                                uint8_t* buffer, int32_t capacity, int32_t& length);
// `huffbits` holds the 16 counts, `huffvalues` at least as many values as
// the counts add up to.
int32_t putc_huffman_segment(uint16_t marker, uint8_t table_id, const uint8_t* huffbits,
                             const uint8_t* huffvalues, uint8_t* buffer, int32_t capacity,
                             int32_t& length);
int32_t putc_frame_segment(int32_t width, int32_t height, float m_shift, float r_scale,
                           uint8_t* buffer, int32_t capacity, int32_t& length);
int32_t putc_block_segment(uint8_t table_id, uint8_t* buffer, int32_t capacity,
                           int32_t& length);
int32_t putc_comment_segment(uint16_t marker, const char* text, int32_t text_length,
                             uint8_t* buffer, int32_t capacity, int32_t& length);
