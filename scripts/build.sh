#!/usr/bin/env bash
# Configures and builds everything into build/ (two jobs: the machines have two cores).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build build -j "${JOBS:-2}"
