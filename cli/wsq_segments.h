#pragma once
// A WSQ codestream's layout for inspection: its segments in file order and
// the texts of its comment segments.
#include <cstdint>
#include <string>
#include <vector>

struct WsqSegment {
  std::string name;  // "SOI", "DTT", ..., "COM", "block data" for entropy-coded bytes
  size_t offset = 0;
  size_t length = 0;  // marker included
};

struct WsqLayout {
  std::vector<WsqSegment> segments;
  std::vector<std::string> comments;  // each up to its first NUL
  bool complete = false;              // the walk reached EOI without a fault
};

// Walks the codestream without decoding it; stops at the first fault.
WsqLayout wsq_layout(const std::vector<uint8_t>& bytes);
