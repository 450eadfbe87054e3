# Shared by the CI stage scripts: configure a build folder, build named
# targets, time the stage and print its closing line. Sourced, not run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."

JOBS=${JOBS:-2}
STAGE_START=$(date +%s)

# Configures build folder $1 with the remaining arguments, through ccache when
# it is installed.
ci_configure() {
  local dir=$1
  shift
  local launcher=()
  if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
}

# Builds the targets of build folder $1 whose names match the extended
# regular expression $2.
ci_build_matching() {
  local dir=$1 pattern=$2
  local targets
  targets=$(ninja -C "$dir" -t targets all | sed -n 's/^\([A-Za-z0-9_]*\): phony$/\1/p' | grep -E "$pattern" || true)
  [ -n "$targets" ] || { echo "ci: no targets match $pattern" >&2; return 1; }
  # shellcheck disable=SC2086
  cmake --build "$dir" -j "$JOBS" --target $targets
}

# The test programs whose source defines a test with Thread or Parallel in its
# suite or test name: the tests that use threads, by the naming convention in
# the README.
ci_threaded_test_targets() {
  local file folder name
  for file in $(grep -lE '^TEST(_F|_P)?\([A-Za-z0-9_]*(Thread|Parallel)|^TEST(_F|_P)?\([A-Za-z0-9_]+, *[A-Za-z0-9_]*(Thread|Parallel)' tests/*/test_*.cpp tests/*/*/test_*.cpp 2>/dev/null); do
    folder=$(basename "$(dirname "$file")")
    name=$(basename "$file" .cpp)
    echo "${folder}_${name}"
  done
}

# Prints the stage's closing line with its wall-clock time.
ci_done() {
  echo "ci: $1: passed in $(( $(date +%s) - STAGE_START )) s"
}
