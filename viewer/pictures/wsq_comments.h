#pragma once
// The comments of a WSQ codestream before its first block: the fields of its
// first NISTCOM comment, in order, and the text of every other comment.
// Plain standard types: the codec's headers do not mix with Qt's keywords.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct WsqComments {
  std::vector<std::pair<std::string, std::string>> nistcom_fields;
  std::vector<std::string> other_texts;
};

// Reads what it can; a codestream cut short or damaged gives the comments
// before the damage.
WsqComments wsq_comments(const std::vector<uint8_t>& codestream);
