#!/usr/bin/env bash
# Configures and builds into build/ (two jobs: the machines have two cores). With targets as
# arguments only those are built (scripts/run.sh builds just the browser: `zel`, which brings
# zel-browser, the web-process module and the skins); without, everything.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "${launcher[@]}" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build build -j "${JOBS:-2}" --target "$@"
else
  cmake --build build -j "${JOBS:-2}"
fi
