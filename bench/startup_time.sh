#!/usr/bin/env bash
# Start-up time: process start to the first shown window, over several cold profiles.
# Usage: bench/startup_time.sh [runs] [profile]   (needs a built tree; uses Xvfb when there
# is no display). profile fills the fresh profile folder before each start:
#   plain      nothing (the default)
#   keywords   100 000 search words in searchkeys.ini
#   blocks     100 000 content filter entries in blockage.ini
#   sites      100 000 allowed sites in Unblocksite.dat
#   bigconfig  a 50 MB config.ini (the settings plus one huge section of other keys)
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-5}"
profile="${2:-plain}"
fill() {
  local dir="$1/profile/Defaults"
  mkdir -p "$dir"
  case "$profile" in
    plain) ;;
    keywords)
      { printf '[]\r\n'; seq 0 99999 | awk '{printf "key_%d=word %d\r\n", $1, $1}'; } >"$dir/searchkeys.ini" ;;
    blocks)
      { printf '[POPUP]\r\npop_block_count=0\r\n[URL]\r\nurl_block_count=100000\r\n'
        seq 0 99999 | awk '{printf "block_%d=*ads%d.example/*\r\n", $1, $1}'; } >"$dir/blockage.ini" ;;
    sites)
      seq 0 99999 | awk '{printf "site%d.example,", $1}' | iconv -f UTF-8 -t UTF-16LE >"$dir/Unblocksite.dat" ;;
    bigconfig)
      { printf '[GENERAL]\r\nhomepage=about:blank\r\n[BULK]\r\n'
        seq 0 1199999 | awk '{printf "entry_%d=some stored value %d\r\n", $1, $1}'; } >"$dir/config.ini" ;;
    *) echo "unknown profile: $profile" >&2; exit 2 ;;
  esac
}
measure() {
  for i in $(seq "$runs"); do
    home=$(mktemp -d); rt=$(mktemp -d)
    fill "$home"
    ZEL_HOME="$home" XDG_RUNTIME_DIR="$rt" ZEL_STARTUP_TIMING=1 build/src/zel about:blank 2>"$home/err" &
    pid=$!
    for _ in $(seq 300); do grep -q 'window shown' "$home/err" 2>/dev/null && break; sleep 0.1; done
    grep -o 'after [0-9.]* ms' "$home/err" || echo "no window"
    kill -TERM $pid; wait $pid || true
    rm -rf "$home" "$rt"
  done
}
# Without a display the script runs itself again under Xvfb.
if [ -n "${DISPLAY:-}" ]; then measure; else exec xvfb-run -a -s "-noreset" bash "$0" "$runs" "$profile"; fi
