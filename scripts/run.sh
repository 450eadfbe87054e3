#!/usr/bin/env bash
# Starts the main job on the bundled sample image.
set -euo pipefail
build=${1:-build}
exec "$build/cli/wsqconv" --info data/sample.wsq
