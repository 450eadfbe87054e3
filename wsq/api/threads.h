#pragma once
// The thread count a public call gives the codec's contexts.
#include <algorithm>
#include <cstdint>
#include <thread>

#include "wsq/worker_pool.h"
#include "wsq/wsq.h"

namespace wsq {

// The caller's count, or every core when it is 0 or below (the codec's
// pool holds large counts to its ceiling).
inline int32_t codec_threads(const Options& options) {
  if (options.threads > 0) return options.threads;
  const unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int32_t>(std::clamp(cores, 1u, static_cast<unsigned>(kMaxCodecThreads)));
}

}  // namespace wsq
