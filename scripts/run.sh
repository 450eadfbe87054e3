#!/usr/bin/env bash
# Starts the viewer on the bundled sample image.
set -euo pipefail
build=${1:-build}
cd "$(dirname "$0")/.."
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  echo "wsqview needs a graphical display, and none was found (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
  echo "Run it from a desktop session, or under a virtual one:  xvfb-run -a make run" >&2
  echo "Without a display the converter still works:  $build/cli/wsqconv --info data/sample.wsq" >&2
  exit 1
fi
exec "$build/viewer/wsqview" data/sample.wsq
