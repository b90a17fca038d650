#!/usr/bin/env bash
# Builds and runs every test (unit and GUI) through ctest. GUI tests need an X display; one
# is started with Xvfb when there is none.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
cd build
if [ -n "${DISPLAY:-}" ]; then
  ctest --output-on-failure -j "${JOBS:-2}"
else
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j "${JOBS:-2}"
fi
