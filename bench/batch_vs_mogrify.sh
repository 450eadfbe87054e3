#!/bin/sh
# Measures wsqconv's folder mode: 1 job against 2 jobs over 40 mixed files
# (WSQ, PNG, BMP, TIFF, PGM made to WSQ), and a folder of 40 PNG files made
# to TIFF by wsqconv and, when installed, by ImageMagick's mogrify.
#
# Usage: bench/batch_vs_mogrify.sh [BUILD_DIR] [ROUNDS]
# The test pictures are made from data/sample.wsq by wsqconv itself.
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
rounds=${2:-3}
wsqconv=$build/cli/wsqconv
[ -x "$wsqconv" ] || { echo "no $wsqconv: build the wsqconv target first" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/wsqbatch.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

now() { date +%s.%N; }

# Best wall time in seconds of ROUNDS runs of the command; the output folder
# (last argument) is emptied before each run.
best_time() {
  out=$(eval echo "\${$#}")
  best=""
  i=0
  while [ "$i" -lt "$rounds" ]; do
    rm -rf "$out" && mkdir -p "$out"
    start=$(now)
    "$@" >/dev/null 2>&1
    end=$(now)
    best=$(echo "$start $end ${best:-999999}" | awk '{t = $2 - $1; print (t < $3 ? t : $3)}')
    i=$((i + 1))
  done
  echo "$best"
}

# 40 mixed files: 8 copies of the sample in each of five formats.
mkdir -p "$work/mixed" "$work/png" "$work/seed"
"$wsqconv" -q "$here/data/sample.wsq" "$work/seed/s.wsq"
for ext in png bmp tif pgm; do "$wsqconv" -q "$here/data/sample.wsq" "$work/seed/s.$ext"; done
n=0
for ext in wsq png bmp tif pgm; do
  for i in 1 2 3 4 5 6 7 8; do
    n=$((n + 1))
    cp "$work/seed/s.$ext" "$work/mixed/f$n.$ext"
  done
done
for i in $(seq 1 40); do cp "$work/seed/s.png" "$work/png/p$i.png"; done

one=$(best_time "$wsqconv" -q -j 1 --to wsq "$work/mixed" "$work/out1")
two=$(best_time "$wsqconv" -q -j 2 --to wsq "$work/mixed" "$work/out2")
echo "cores: $(nproc)"
echo "40 mixed files to WSQ: 1 job ${one}s, 2 jobs ${two}s" |
  awk -v a="$one" -v b="$two" '{printf "%s, speed-up %.2fx\n", $0, a / b}'

ours=$(best_time "$wsqconv" -q --to tif "$work/png" "$work/out3")
echo "40 PNG to TIFF: wsqconv (every core) ${ours}s"
if command -v mogrify >/dev/null 2>&1; then
  theirs=$(best_time sh -c "mogrify -format tif -path '$work/out4' '$work/png'/*.png" "$work/out4")
  echo "40 PNG to TIFF: mogrify ${theirs}s" |
    awk -v a="$theirs" -v b="$ours" '{printf "%s, wsqconv is %.2fx as fast\n", $0, a / b}'
else
  echo "mogrify not installed (ImageMagick): skipping the comparison"
fi
