#!/usr/bin/env bash
# Fetches and unpacks the Debian source packages that the Windows and browser builds compile
# themselves (SDL2, FreeType, SDL2_mixer, Dear ImGui), once, into the cross-build cache.
# Usage: scripts/cross/sources.sh   (prints the folder that holds the unpacked trees)
# RW_CROSS_CACHE overrides the cache folder (default ~/.cache/rustwake-cross).
set -euo pipefail

CACHE=${RW_CROSS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/rustwake-cross}
SRC="$CACHE/src"
# Debian 12's versions; a change here gives fresh trees (and fresh library builds, whose folders
# are keyed by these versions too).
PACKAGES=(libsdl2=2.26.5+dfsg-1 freetype=2.12.1+dfsg-5+deb12u4 libsdl2-mixer=2.6.2+dfsg-2 imgui=1.86+ds-1)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi

have_all() {
  local p name version
  for p in "${PACKAGES[@]}"; do
    name=${p%%=*} version=${p#*=}
    [ -f "$SRC/.done-$name-$version" ] || return 1
  done
}

if ! have_all; then
  list=/etc/apt/sources.list.d/rustwake-src.sources
  if [ ! -f "$list" ]; then
    # Source entries of the machine's own Debian release, in a file of the project's own.
    $SUDO tee "$list" >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    $SUDO apt-get update -qq
  fi
  mkdir -p "$SRC/download"
  for p in "${PACKAGES[@]}"; do
    name=${p%%=*} version=${p#*=}
    [ -f "$SRC/.done-$name-$version" ] && continue
    (cd "$SRC/download" && apt-get source --download-only -qq "$p" 2>&1 | grep -v '^W: Download is performed unsandboxed' || true)
    rm -rf "${SRC:?}/$name-$version"
    (cd "$SRC/download" && dpkg-source --no-check -x "${name}_${version#*:}.dsc" "../$name-$version" >/dev/null)
    touch "$SRC/.done-$name-$version"
  done
fi
echo "$SRC"
