#!/usr/bin/env bash
# Builds and starts the browser with an optional address. Without a display it runs under
# Xvfb, waits for the page, writes a screenshot, prints its path and closes the browser.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh zel
if [ -n "${DISPLAY:-}" ]; then
  exec build/src/zel "$@"
fi
mkdir -p out
shot="$PWD/out/screenshot-$(date +%Y%m%d-%H%M%S).png"
xvfb-run -a -s "-screen 0 1280x900x24 -noreset" bash -c '
  build/src/zel "$@" &
  pid=$!
  sleep "${ZEL_SHOT_DELAY:-6}"
  import -window root "'"$shot"'"
  kill -TERM $pid
  wait $pid
' zel "$@"
echo "screenshot: $shot"
