#pragma once
// Byte layer of the codec: big-endian reads from an input buffer through a
// cursor and an end pointer, and appends to a bounded output buffer. Every
// operation returns 0 or a negative code after writing its message; a failing
// operation consumes or writes nothing.
#include <cstdint>

// Readers: `cursor` points at the next unread byte, `end` one past the data.
int32_t getc_byte(uint8_t& value, const uint8_t*& cursor, const uint8_t* end);
int32_t getc_bytes(uint8_t* destination, int32_t count, const uint8_t*& cursor,
                   const uint8_t* end);
int32_t getc_word16(uint16_t& value, const uint8_t*& cursor, const uint8_t* end);
int32_t getc_word32(uint32_t& value, const uint8_t*& cursor, const uint8_t* end);

// Writers: store at buffer + length, raise length; refuse to pass capacity.
int32_t putc_byte(uint8_t value, uint8_t* buffer, int32_t capacity, int32_t& length);
int32_t putc_bytes(const uint8_t* source, int32_t count, uint8_t* buffer, int32_t capacity,
                   int32_t& length);
int32_t putc_word16(uint16_t value, uint8_t* buffer, int32_t capacity, int32_t& length);
int32_t putc_word32(uint32_t value, uint8_t* buffer, int32_t capacity, int32_t& length);
