#pragma once
// Sends the codec's diagnostics to a caller's sink for one public call.
#include <optional>

#include "wsq/diagnostics.h"
#include "wsq/wsq.h"

namespace wsq {

class CallMessages {
 public:
  explicit CallMessages(const Options& options) {
    if (options.messages) scope_.emplace(options.messages);
  }

 private:
  std::optional<ScopedDiagnostics> scope_;
};

}  // namespace wsq
