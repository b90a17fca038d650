#!/usr/bin/env bash
# Start-up time: process start to the first shown window, over several cold profiles.
# Usage: bench/startup_time.sh [runs]   (needs a built tree; uses Xvfb when there is no display)
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-5}"
measure() {
  for i in $(seq "$runs"); do
    home=$(mktemp -d); rt=$(mktemp -d)
    ZEL_HOME="$home" XDG_RUNTIME_DIR="$rt" ZEL_STARTUP_TIMING=1 build/src/zel about:blank 2>"$home/err" &
    pid=$!
    for _ in $(seq 100); do grep -q 'window shown' "$home/err" 2>/dev/null && break; sleep 0.1; done
    grep -o 'after [0-9.]* ms' "$home/err" || echo "no window"
    kill -TERM $pid; wait $pid || true
    rm -rf "$home" "$rt"
  done
}
# Without a display the script runs itself again under Xvfb.
if [ -n "${DISPLAY:-}" ]; then measure; else exec xvfb-run -a -s "-noreset" bash "$0" "$runs"; fi
