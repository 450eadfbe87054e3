#!/usr/bin/env bash
# CI stage: ThreadSanitizer build running the tests that use threads, those
# with Thread or Parallel in their name (see the README's testing section).
source "$(dirname "$0")/common.sh"
dir=${BUILD_TSAN:-build-tsan}
ci_configure "$dir" -DWSQ_TSAN=ON -DWSQ_BUILD_BENCH=OFF -DWSQ_BUILD_VIEWER=OFF
targets=$(ci_threaded_test_targets | sort -u | paste -sd'|')
[ -n "$targets" ] || { echo "ci: tsan: no threaded tests found" >&2; exit 1; }
ci_build_matching "$dir" "^(${targets})\$"
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
(cd "$dir" && ctest --output-on-failure -j "$JOBS" --timeout 600 -R 'Thread|Parallel' --no-tests=error)
ci_done tsan
