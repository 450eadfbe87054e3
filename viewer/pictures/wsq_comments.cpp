#include "viewer/pictures/wsq_comments.h"

#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "wsq/api/comments.h"
#include "wsq/fet.h"

namespace {

constexpr const char kNistcomTag[] = "NIST_COM";

void add_comment(WsqComments& comments, const std::string& text) {
  const bool nistcom = text.compare(0, std::strlen(kNistcomTag), kNistcomTag) == 0;
  std::unique_ptr<FET> fet;
  if (nistcom && comments.nistcom_fields.empty() && string2fet(fet, text) == 0 && fet) {
    for (int32_t i = 0; i < fet->count; ++i) {
      const auto& value = fet->values[static_cast<size_t>(i)];
      comments.nistcom_fields.emplace_back(fet->names[static_cast<size_t>(i)], value.value_or(std::string()));
    }
    return;
  }
  comments.other_texts.push_back(text);
}

}  // namespace

WsqComments wsq_comments(const std::vector<uint8_t>& codestream) {
  WsqComments comments;
  if (codestream.empty() || codestream.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    return comments;
  }
  const auto length = static_cast<int32_t>(codestream.size());
  for (const std::string& text : wsq::comments_before_blocks(codestream.data(), length)) add_comment(comments, text);
  return comments;
}
