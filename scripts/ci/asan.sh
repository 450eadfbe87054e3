#!/usr/bin/env bash
# CI stage: AddressSanitizer and UndefinedBehaviorSanitizer build running the
# whole suite. CI_ASAN_VIEWER=OFF leaves the viewer and its tests out.
source "$(dirname "$0")/common.sh"
dir=${BUILD_ASAN:-build-asan}
ci_configure "$dir" -DWSQ_SANITIZE=ON -DWSQ_BUILD_BENCH=OFF -DWSQ_BUILD_VIEWER="${CI_ASAN_VIEWER:-ON}"
cmake --build "$dir" -j "$JOBS"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
(cd "$dir" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$JOBS" --timeout 600)
ci_done asan
