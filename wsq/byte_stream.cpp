#include "wsq/byte_stream.h"

#include <cstring>

#include "wsq/diagnostics.h"

int32_t getc_byte(uint8_t& value, const uint8_t*& cursor, const uint8_t* end) {
  if (cursor >= end) {
    diag_write("ERROR : getc_byte : premature End Of Buffer\n");
    return -39;
  }
  value = *cursor++;
  return 0;
}

int32_t getc_bytes(uint8_t* destination, int32_t count, const uint8_t*& cursor,
                   const uint8_t* end) {
  if (count == 0) return 0;
  if (count < 0 || cursor >= end || end - cursor < count) {
    diag_write("ERROR : getc_bytes : premature End Of Buffer\n");
    return -40;
  }
  std::memcpy(destination, cursor, static_cast<size_t>(count));
  cursor += count;
  return 0;
}

int32_t getc_word16(uint16_t& value, const uint8_t*& cursor, const uint8_t* end) {
  uint8_t bytes[2];
  if (int32_t ret = getc_bytes(bytes, 2, cursor, end)) return ret;
  value = static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
  return 0;
}

int32_t getc_word32(uint32_t& value, const uint8_t*& cursor, const uint8_t* end) {
  uint8_t bytes[4];
  if (int32_t ret = getc_bytes(bytes, 4, cursor, end)) return ret;
  value = (static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
          (static_cast<uint32_t>(bytes[2]) << 8) | bytes[3];
  return 0;
}

int32_t putc_byte(uint8_t value, uint8_t* buffer, int32_t capacity, int32_t& length) {
  if (length >= capacity) {
    diag_printf("ERROR : putc_byte : buffer overlow : alloc = %d, request = %d\n", capacity,
                length);
    return -32;
  }
  buffer[length++] = value;
  return 0;
}

int32_t putc_bytes(const uint8_t* source, int32_t count, uint8_t* buffer, int32_t capacity,
                   int32_t& length) {
  // Widened so that a huge count cannot wrap the sum.
  const int64_t request = static_cast<int64_t>(length) + count;
  if (count < 0 || request > capacity) {
    diag_printf("ERROR : putc_bytes : buffer overlow : alloc = %d, request = %d\n", capacity,
                static_cast<int32_t>(request));
    return -33;
  }
  if (count > 0) std::memcpy(buffer + length, source, static_cast<size_t>(count));
  length += count;
  return 0;
}

int32_t putc_word16(uint16_t value, uint8_t* buffer, int32_t capacity, int32_t& length) {
  const uint8_t bytes[2] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
  return putc_bytes(bytes, 2, buffer, capacity, length);
}

int32_t putc_word32(uint32_t value, uint8_t* buffer, int32_t capacity, int32_t& length) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                            static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
  return putc_bytes(bytes, 4, buffer, capacity, length);
}
