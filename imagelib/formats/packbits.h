#pragma once
// Decoding of one row of PackBits (ByteRun1) data, shared by the IFF/ILBM and
// PSD readers. A control byte n from 0 to 127 is followed by n + 1 bytes
// copied as they stand; a control byte from -127 to -1 by one byte repeated
// 1 - n times; -128 (128) is a no-op, skipped wherever it stands, including
// just after the row is full. Repeat runs that reach past the row end are cut
// at the end.
#include <cstddef>
#include <cstdint>

#include "imagelib/byte_reader.h"

enum class PackBitsResult {
  Filled,          // the row holds all its bytes
  InputShort,      // the input ended before the row was filled
  LiteralOverrun,  // a literal run is longer than what is left of the row
};

// How a literal run that reaches past the row end is treated.
enum class LiteralOverrun { Refuse, DropExcess };

// Fills row[0 .. length) from input, consuming packets until the row is full.
PackBitsResult decode_packbits_row(ByteReader& input, uint8_t* row, size_t length, LiteralOverrun overrun);

// The fewest input bytes that can fill a row of length bytes, used to refuse
// declared sizes that the data cannot hold before allocating.
uint64_t packbits_min_row_bytes(uint64_t length);
