#!/usr/bin/env bash
# Packages an adventure for players who install nothing.
# Usage: scripts/package.sh web [DATA_DIR [OUT]]
#   web    OUT (default build-web/site) becomes a folder that plays DATA_DIR (the folder holding data/;
#          default: the demo adventure of the normal build) in a browser: index.html, page.js,
#          rustwake.js, rustwake.wasm, rustwake-data.js and the compressed data rustwake.data.gz.
#          Upload the folder to any static web host, or try it with
#          python3 -m http.server -d OUT 8000 and http://127.0.0.1:8000/
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
JOBS=${RW_JOBS:-2}
usage() { echo "usage: scripts/package.sh web [DATA_DIR [OUT]]" >&2; exit 2; }

target=${1:-}
[ -n "$target" ] || usage
case "$target" in
  web)
    data=${2:-}
    out=${3:-$ROOT/build-web/site}
    if [ -z "$data" ]; then
      # The demo adventure is written by the host build's generator.
      data=$ROOT/build/demo
      if [ ! -f "$data/data/data/game.ini" ]; then
        cmake -S "$ROOT" -B "$ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
        cmake --build "$ROOT/build" -j "$JOBS" --target demo_data
      fi
    fi
    if [ ! -d "$data/data" ]; then
      echo "package.sh: \"$data\" holds no data/ folder" >&2
      exit 2
    fi
    case "$data" in *@*) echo "package.sh: the data folder's path may not contain '@'" >&2; exit 2 ;; esac
    fonts=/usr/share/wine/fonts
    for f in tahoma.ttf tahomabd.ttf small_fonts.ttf ms_sans_serif.ttf; do
      [ -f "$fonts/$f" ] || { echo "package.sh: $fonts/$f is missing (apt-get install fonts-wine)" >&2; exit 1; }
    done

    bash "$ROOT/scripts/cross-setup.sh" web >/dev/null
    (cd "$ROOT" && cmake --preset web >/dev/null && cmake --build --preset web -j "$JOBS")
    build=$ROOT/build-web

    mkdir -p "$out"
    out=$(cd "$out" && pwd)
    data=$(cd "$data" && pwd)
    # The adventure at /game, the four faces the game draws with where it looks for them; the package is
    # gzipped here and unpacked by the page, so any static host serves it as it is.
    stage=$(mktemp -d)
    trap 'rm -rf "$stage"' EXIT
    mkdir -p "$stage/fonts"
    cp "$fonts"/{tahoma,tahomabd,small_fonts,ms_sans_serif}.ttf "$stage/fonts/"
    (cd "$stage" && python3 /usr/share/emscripten/tools/file_packager.py rustwake.data --no-node \
       --preload "$data/data@/game/data" "fonts@/usr/share/wine/fonts" --js-output=rustwake-data.js >/dev/null 2>&1)
    gzip -9 -n -c "$stage/rustwake.data" >"$out/rustwake.data.gz"
    cp "$stage/rustwake-data.js" "$out/"
    cp "$build/rustwake.js" "$build/rustwake.wasm" "$ROOT/dist/web/index.html" "$ROOT/dist/web/page.js" "$out/"
    # The game's notice, the fonts' licence, and the licences of the libraries built into the wasm.
    cp "$ROOT/dist/copyright" "$out/COPYRIGHT.txt"
    cp /usr/share/doc/fonts-wine/copyright "$out/FONTS-LICENCE.txt"
    src=$(bash "$ROOT/scripts/cross/sources.sh")
    {
      echo "rustwake.wasm is built with these libraries, under their licences:"
      for part in "SDL2 2.26.5:libsdl2-2.26.5+dfsg-1/LICENSE.txt" \
                  "SDL2_mixer 2.6.2 (with dr_mp3, public domain or MIT-0):libsdl2-mixer-2.6.2+dfsg-2/LICENSE.txt" \
                  "FreeType 2.12.1:freetype-2.12.1+dfsg-5+deb12u4/docs/FTL.TXT" \
                  "Dear ImGui 1.86:imgui-1.86+ds-1/LICENSE.txt"; do
        printf '\n== %s\n\n' "${part%%:*}"
        cat "$src/${part#*:}"
      done
    } >"$out/THIRD-PARTY.txt"
    echo "$out: $(du -sh "$out" | cut -f1) (data $(du -h "$out/rustwake.data.gz" | cut -f1) compressed," \
         "wasm $(du -h "$out/rustwake.wasm" | cut -f1))"
    ;;
  *) usage ;;
esac
