#!/usr/bin/env bash
# CI stage: clang libFuzzer build; every harness runs for FUZZ_SECONDS from
# its committed seeds (fuzz/seeds/<folder>) in a fresh corpus. Any finding
# (crash, leak, timeout, memory blow-up) fails the stage; the input is kept
# under $dir/findings.
source "$(dirname "$0")/common.sh"
dir=${BUILD_FUZZ:-build-fuzz}
seconds=${FUZZ_SECONDS:-15}
CC=clang CXX=clang++ ci_configure "$dir" -DWSQ_FUZZ=ON -DWSQ_BUILD_BENCH=OFF -DWSQ_BUILD_VIEWER=OFF
ci_build_matching "$dir" '^fuzz_'

# The seed folder of each harness.
seed_folder() {
  case $1 in
    fuzz_jpeg) echo jpg ;;
    fuzz_sgi) echo rgb ;;
    fuzz_tiff) echo tif ;;
    fuzz_wsq_* | fuzz_huffman_decode) echo wsq ;;
    *) echo "${1#fuzz_}" ;;
  esac
}

mkdir -p "$dir/findings"
failed=()
for harness in "$dir"/fuzz/fuzz_*; do
  [ -x "$harness" ] || continue
  name=$(basename "$harness")
  corpus=$(mktemp -d)
  seeds=fuzz/seeds/$(seed_folder "$name")
  [ -d "$seeds" ] || { echo "ci: fuzz: $name has no seed folder $seeds" >&2; failed+=("$name"); continue; }
  if "$harness" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$dir/findings/$name-" "$corpus" "$seeds" >"$dir/findings/$name.log" 2>&1; then
    echo "ci: fuzz: $name: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$dir/findings/$name.log" | grep -o '[0-9]*$') runs, clean"
  else
    echo "ci: fuzz: $name: FINDING (log $dir/findings/$name.log)"
    tail -40 "$dir/findings/$name.log"
    failed+=("$name")
  fi
  rm -rf "$corpus"
done
[ ${#failed[@]} -eq 0 ] || { echo "ci: fuzz: failed: ${failed[*]}"; exit 1; }
ci_done fuzz
