#pragma once
// The thread count a public call gives the codec's contexts.
#include <algorithm>
#include <cstdint>
#include <thread>

#include "wsq/wsq.h"

namespace wsq {

// More threads than this gain nothing and would only cost memory for their
// stacks and scratch.
inline constexpr int32_t kMaxCodecThreads = 64;

// The caller's count, or every core when it is 0 or below, kept within
// 1..kMaxCodecThreads.
inline int32_t codec_threads(const Options& options) {
  const int32_t wanted =
      options.threads > 0 ? options.threads : static_cast<int32_t>(std::thread::hardware_concurrency());
  return std::clamp(wanted, int32_t{1}, kMaxCodecThreads);
}

}  // namespace wsq
