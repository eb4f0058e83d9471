#!/usr/bin/env bash
# Installs everything Quillory needs to build and test on Debian 12, then builds it into build/.
# Run as root (or through sudo) on a fresh machine; running it again only rebuilds.
set -euo pipefail
cd "$(dirname "$0")"

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  qt6-base-dev qt6-webengine-dev libqt6webenginecore6-bin libxcb1-dev libxcb-xinput-dev libxcb-xfixes0-dev
  xvfb xserver-xorg-core xserver-xorg-video-dummy xauth xinit x11-xserver-utils xdotool wmctrl openbox x11-utils imagemagick fonts-dejavu-core fonts-liberation2 python3 openssl
  dpkg-dev file lintian chromium
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
