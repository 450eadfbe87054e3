#pragma once
// A bounds-checked cursor over bytes in memory, for the hand-written readers.
// Every read fails (returns false, leaves the output untouched) instead of
// reading past the end.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  size_t size() const { return bytes_.size(); }
  size_t position() const { return position_; }
  size_t remaining() const { return bytes_.size() - position_; }
  bool at_end() const { return position_ == bytes_.size(); }

  bool seek(size_t position) {
    if (position > bytes_.size()) return false;
    position_ = position;
    return true;
  }
  bool skip(size_t count) {
    if (count > remaining()) return false;
    position_ += count;
    return true;
  }
  bool u8(uint8_t& value) {
    if (remaining() < 1) return false;
    value = bytes_[position_++];
    return true;
  }
  bool u16le(uint16_t& value) { return unsigned_le(value); }
  bool u32le(uint32_t& value) { return unsigned_le(value); }
  bool u16be(uint16_t& value) { return unsigned_be(value); }
  bool u32be(uint32_t& value) { return unsigned_be(value); }
  bool bytes(uint8_t* destination, size_t count) {
    if (count > remaining()) return false;
    if (count > 0) std::memcpy(destination, bytes_.data() + position_, count);
    position_ += count;
    return true;
  }
  // The next count bytes without copying; an empty span when fewer remain.
  std::span<const uint8_t> view(size_t count) {
    if (count > remaining()) return {};
    auto result = bytes_.subspan(position_, count);
    position_ += count;
    return result;
  }
  const uint8_t* current() const { return bytes_.data() + position_; }

 private:
  template <typename T>
  bool unsigned_le(T& value) {
    if (remaining() < sizeof(T)) return false;
    T result = 0;
    for (size_t i = 0; i < sizeof(T); ++i) result |= static_cast<T>(T{bytes_[position_ + i]} << (8 * i));
    position_ += sizeof(T);
    value = result;
    return true;
  }
  template <typename T>
  bool unsigned_be(T& value) {
    if (remaining() < sizeof(T)) return false;
    T result = 0;
    for (size_t i = 0; i < sizeof(T); ++i) result = static_cast<T>((result << 8) | bytes_[position_ + i]);
    position_ += sizeof(T);
    value = result;
    return true;
  }

  std::span<const uint8_t> bytes_;
  size_t position_ = 0;
};
