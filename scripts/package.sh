#!/usr/bin/env bash
# Packages an adventure for players of another system.
# Usage: scripts/package.sh TARGET [DATA_DIR] [OUT]
#   TARGET    win64: a zip a Windows player unzips and plays
#             web: a folder to put on any static web host (index.html, the wasm, the compressed data)
#   DATA_DIR  the folder that holds data/ (default: build/demo, the host build's demo adventure)
#   OUT       where the package is written (default: build-TARGET; for web build-web/site)
# Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
target=${1:-}
DATA_DIR=$(realpath -m "${2:-build/demo}")
default_out=build-$target
[ "$target" = web ] && default_out=build-web/site  # build-web is the web preset's build folder
OUT=$(realpath -m "${3:-$default_out}")
VERSION=$(sed -n 's/^project(Rustwake VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
# The four faces the game draws with; a data folder without its own fonts/ gets the system's.
FACES=(tahoma.ttf tahomabd.ttf small_fonts.ttf ms_sans_serif.ttf)

if [ -z "${2:-}" ] && [ ! -d "$DATA_DIR/data" ]; then
  # The demo adventure is written by the host build's generator.
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j "${RW_JOBS:-2}" --target demo_data >/dev/null
fi
if [ ! -d "$DATA_DIR/data" ]; then
  echo "package.sh: no data/ in \"$DATA_DIR\" (build the game first: cmake --build build)" >&2
  exit 1
fi

copy_fonts() {  # destination
  mkdir -p "$1"
  local face from
  for face in "${FACES[@]}"; do
    from=$DATA_DIR/fonts/$face
    [ -f "$from" ] || from=/usr/share/wine/fonts/$face
    cp "$from" "$1/"
  done
  cp /usr/share/common-licenses/LGPL-2.1 "$1/COPYING.LGPL-2.1.txt"
  cp /usr/share/doc/fonts-wine/copyright "$1/copyright.txt"
  cat >"$1/README.txt" <<'TEXT'
These font files come from the Wine project's fonts (Debian's fonts-wine package) and are
distributed under the GNU Lesser General Public License, version 2.1 or later: see
COPYING.LGPL-2.1.txt and copyright.txt. Their source is the Wine project's fonts folder;
Debian's source package "wine" holds it.
TEXT
}

# The licence and the notices of what the programs are built from, as far as they are in the tree.
copy_notices() {  # destination target
  local f
  for f in LICENSE THIRD-PARTY.md; do
    [ -f "$ROOT/$f" ] && cp "$ROOT/$f" "$1/$f.txt"
  done
  local src
  src=$(bash scripts/cross/sources.sh)
  mkdir -p "$1/licenses"
  cp "$src/libsdl2-2.26.5+dfsg-1/LICENSE.txt" "$1/licenses/SDL2.txt"
  cp "$src/libsdl2-mixer-2.6.2+dfsg-2/LICENSE.txt" "$1/licenses/SDL2_mixer.txt"
  cp "$src/libsdl2-mixer-2.6.2+dfsg-2/src/codecs/dr_libs/LICENSE" "$1/licenses/dr_mp3.txt"
  cp "$src/freetype-2.12.1+dfsg-5+deb12u4/docs/FTL.TXT" "$1/licenses/FreeType.txt"
  cp "$src/imgui-1.86+ds-1/LICENSE.txt" "$1/licenses/DearImGui.txt"
  cp /usr/share/doc/libstb-dev/copyright "$1/licenses/stb.txt"
  if [ "$2" = win64 ]; then
    cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$1/licenses/mingw-w64-runtime.txt"
  fi
}

case "$target" in
  win64)
    bash scripts/cross-setup.sh win64 >/dev/null
    cmake --preset win64 -B "$OUT" >/dev/null
    cmake --build "$OUT" -j "${RW_JOBS:-2}" --target rustwake rustwake-map rustwake-script >/dev/null
    name=rustwake-$VERSION-win64
    stage=$OUT/package/$name
    rm -rf "$OUT/package"
    mkdir -p "$stage"
    for exe in rustwake rustwake-map rustwake-script; do
      x86_64-w64-mingw32-strip -o "$stage/$exe.exe" "$OUT/$exe.exe"
    done
    cp -r "$DATA_DIR/data" "$stage/data"
    copy_fonts "$stage/fonts"
    copy_notices "$stage" win64
    # Windows text files: CRLF line ends.
    printf '@echo off\r\nrem The editor: the game in debug mode, with the editor panel beside it.\r\nstart "" "%%~dp0rustwake.exe" debug %%*\r\n' \
      >"$stage/Rustwake editor.bat"
    sed 's/$/\r/' dist/windows/README.txt | sed "s/@VERSION@/$VERSION/" >"$stage/README.txt"
    rm -f "$OUT/$name.zip"
    (cd "$OUT/package" && zip -qr -9 "$OUT/$name.zip" "$name")
    echo "$OUT/$name.zip"
    ;;
  web)
    case "$DATA_DIR" in *@*) echo "package.sh: the data folder's path may not contain '@'" >&2; exit 2 ;; esac
    bash scripts/cross-setup.sh web >/dev/null
    cmake --preset web >/dev/null
    # The build's progress lines left out; its errors shown.
    cmake --build --preset web -j "${RW_JOBS:-2}" | { grep -v '^\[' || true; }
    mkdir -p "$OUT"
    stage=$(mktemp -d)
    trap 'rm -rf "$stage"' EXIT
    copy_fonts "$stage/fonts"
    # The adventure at /game, with the faces in its fonts/; gzipped here and unpacked by the page, so any
    # static host serves it as it is.
    (cd "$stage" && python3 /usr/share/emscripten/tools/file_packager.py rustwake.data --no-node \
       --preload "$DATA_DIR/data@/game/data" "fonts@/game/fonts" --js-output=rustwake-data.js >/dev/null 2>&1)
    gzip -6 -n -c "$stage/rustwake.data" >"$OUT/rustwake.data.gz"
    cp "$stage/rustwake-data.js" build-web/rustwake.js build-web/rustwake.wasm dist/web/index.html dist/web/page.js \
       "$OUT/"
    rm -rf "$OUT/fonts" && mkdir -p "$OUT/fonts" && cp "$stage/fonts/"*.txt "$OUT/fonts/"
    copy_notices "$OUT" web
    echo "$OUT"
    ;;
  *)
    echo "usage: scripts/package.sh TARGET [DATA_DIR] [OUT]   (targets: win64, web)" >&2
    exit 2
    ;;
esac
