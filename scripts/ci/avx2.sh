#!/usr/bin/env bash
# CI stage: the codec built for x86-64-v3 (AVX2, FMA available to the
# compiler) must give the same known answers as the baseline build: the codec
# tests and the known-answer tests run on it.
source "$(dirname "$0")/common.sh"
dir=${BUILD_AVX2:-build-avx2}
ci_configure "$dir" -DCMAKE_CXX_FLAGS=-march=x86-64-v3 -DCMAKE_C_FLAGS=-march=x86-64-v3 \
  -DWSQ_BUILD_BENCH=OFF -DWSQ_BUILD_VIEWER=OFF
ci_build_matching "$dir" '^(wsq_test_[A-Za-z0-9_]+|reliability_test_known_answers)$'
(cd "$dir" && ctest --output-on-failure -j "$JOBS" --timeout 600 -L '^wsq$' --no-tests=error)
(cd "$dir" && ctest --output-on-failure -j "$JOBS" --timeout 600 -R '^KnownAnswers' --no-tests=error)
ci_done avx2
