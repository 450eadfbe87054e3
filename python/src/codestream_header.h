#pragma once
// What a WSQ codestream says about itself before its first block: the frame
// size, the NISTCOM fields and the other comment texts.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct CodestreamHeader {
  int32_t width = 0;
  int32_t height = 0;
  int32_t ppi = -1;  // -1: none given
  // The entries of the first NISTCOM comment, in order; a name may have no value.
  std::vector<std::pair<std::string, std::optional<std::string>>> nistcom;
  // Every other comment text, in order.
  std::vector<std::string> comments;
};

// Reads the segments up to the first block. False when they cannot be read or
// hold no frame header.
bool read_codestream_header(const uint8_t* codestream, size_t length, CodestreamHeader& header);
