#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the run script need, when missing.
set -euo pipefail
packages=(
  cmake ninja-build pkg-config g++
  libgtkmm-3.0-dev libwebkit2gtk-4.1-dev libsoup-3.0-dev libpng-dev zlib1g-dev libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev libx11-dev libxtst-dev libxext-dev clang libclang-rt-14-dev
  libayatana-appindicator3-dev
  xvfb xauth imagemagick fonts-wqy-microhei trayer dbus-daemon
  xdg-utils libglib2.0-bin appstream dpkg-dev file
  bubblewrap xdg-dbus-proxy
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
