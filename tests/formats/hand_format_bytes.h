#pragma once
// Builds small files byte by byte for the CEL, IFF/ILBM and PSD reader tests.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

struct FileBytes {
  std::vector<uint8_t> bytes;

  FileBytes& u8(uint32_t value) {
    bytes.push_back(static_cast<uint8_t>(value));
    return *this;
  }
  FileBytes& u8s(std::initializer_list<int> values) {
    for (int value : values) u8(static_cast<uint32_t>(value));
    return *this;
  }
  FileBytes& repeat(uint32_t value, size_t count) {
    bytes.insert(bytes.end(), count, static_cast<uint8_t>(value));
    return *this;
  }
  FileBytes& u16le(uint32_t value) { return u8(value).u8(value >> 8); }
  FileBytes& u32le(uint32_t value) { return u16le(value).u16le(value >> 16); }
  FileBytes& u16be(uint32_t value) { return u8(value >> 8).u8(value); }
  FileBytes& u32be(uint32_t value) { return u16be(value >> 16).u16be(value); }
  FileBytes& text(const std::string& value) {
    for (char c : value) u8(static_cast<uint8_t>(c));
    return *this;
  }
  FileBytes& append(const FileBytes& other) {
    bytes.insert(bytes.end(), other.bytes.begin(), other.bytes.end());
    return *this;
  }
  // Cuts the last count bytes off, as a truncated file.
  FileBytes& drop_last(size_t count) {
    bytes.erase(bytes.end() - static_cast<std::ptrdiff_t>(count), bytes.end());
    return *this;
  }
  size_t size() const { return bytes.size(); }
};
