#!/usr/bin/env bash
# Installs the Debian packages Rustwake needs to build, test and play;
# quiet when everything is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev libsdl2-ttf-dev libsdl2-mixer-dev libimgui-dev libfreetype-dev libstb-dev
  fonts-wine lame
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev ccache
  xvfb imagemagick python3
  dpkg-dev debhelper file man-db desktop-file-utils appstream lintian
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
