#!/usr/bin/env bash
# Builds the libraries the browser build links — SDL2, FreeType, SDL2_mixer (WAV, and MP3 through its
# bundled dr_mp3) and Dear ImGui with its SDL backends — for wasm with Debian's emscripten, once, from
# Debian's source packages, into a cache folder keyed by the versions. emcc's own ports would download
# from the internet; these archives are linked by full path instead, so emcc never reaches for them.
# Usage: scripts/cross-setup.sh web   (prints the folder that holds include/ and lib/)
set -euo pipefail
cd "$(dirname "$0")/../.."

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
need=()
# emcc and its optimiser; the browser and its driver for the page's tests; the faces the package carries.
for p in emscripten node-acorn ninja-build cmake pkg-config chromium chromium-driver python3-selenium fonts-wine; do
  dpkg -s "$p" >/dev/null 2>&1 || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq "${need[@]}" >/dev/null
fi

SRC=$(bash scripts/cross/sources.sh)
CACHE=$(dirname "$SRC")
EMVER=$(emcc --version | sed -n '1s/.* \([0-9][0-9.]*\).*/\1/p')
PREFIX="$CACHE/web-sdl2-2.26.5-freetype-2.12.1-mixer-2.6.2-imgui-1.86-em$EMVER"
JOBS=${RW_JOBS:-2}
if [ -f "$PREFIX/.done" ]; then
  echo "$PREFIX"
  exit 0
fi

WORK="$PREFIX.build"
mkdir -p "$PREFIX" "$WORK"
# The host's pkg-config folders must not leak into the wasm builds.
export PKG_CONFIG_LIBDIR="$PREFIX/lib/pkgconfig" PKG_CONFIG_PATH=""
common=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" -DCMAKE_PREFIX_PATH="$PREFIX"
        -DCMAKE_FIND_ROOT_PATH="$PREFIX" -DBUILD_SHARED_LIBS=OFF)

step() { echo "-- $1" >&2; }

# One library configured, built and installed by its own CMake, once. SDL2's configure checks link through
# emcc, seconds each; the marker keeps the whole result.
cmake_library() {  # name source-folder cmake-options...
  local name=$1 source=$2
  shift 2
  [ -f "$WORK/.$name" ] && return 0
  step "$name for wasm"
  emcmake cmake -S "$source" -B "$WORK/$name" "${common[@]}" "$@" >"$WORK/$name.log" 2>&1
  cmake --build "$WORK/$name" -j "$JOBS" >>"$WORK/$name.log" 2>&1
  cmake --install "$WORK/$name" >>"$WORK/$name.log" 2>&1
  touch "$WORK/.$name"
}

cmake_library freetype "$SRC/freetype-2.12.1+dfsg-5+deb12u4" \
  -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
cmake_library sdl2 "$SRC/libsdl2-2.26.5+dfsg-1" \
  -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_THREADS=OFF -DSDL_PTHREADS=OFF -DSDL2_DISABLE_SDL2MAIN=ON
# WAV, and MP3 through the bundled dr_mp3; nothing else the game does not play.
cmake_library mixer "$SRC/libsdl2-mixer-2.6.2+dfsg-2" \
  -DSDL2_DIR="$PREFIX/lib/cmake/SDL2" -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_DEPS_SHARED=OFF \
  -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF \
  -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=OFF -DSDL2MIXER_MP3=ON -DSDL2MIXER_MP3_DRMP3=ON \
  -DSDL2MIXER_MP3_MPG123=OFF -DSDL2MIXER_WAVE=ON

if [ ! -f "$WORK/.imgui" ]; then
  step "imgui for wasm"
  IM="$SRC/imgui-1.86+ds-1"
  mkdir -p "$WORK/imgui" "$PREFIX/include/imgui"
  objs=()
  for f in imgui.cpp imgui_draw.cpp imgui_tables.cpp imgui_widgets.cpp misc/cpp/imgui_stdlib.cpp \
           backends/imgui_impl_sdl.cpp backends/imgui_impl_sdlrenderer.cpp; do
    o="$WORK/imgui/$(basename "${f%.cpp}").o"
    em++ -O2 -std=c++17 -I"$IM" -I"$PREFIX/include/SDL2" -c "$IM/$f" -o "$o" &
    objs+=("$o")
    # Two at a time: the machine is shared.
    if [ $(( ${#objs[@]} % JOBS )) -eq 0 ]; then wait; fi
  done
  wait
  rm -f "$PREFIX/lib/libimgui.a"
  emar rcs "$PREFIX/lib/libimgui.a" "${objs[@]}"
  cp "$IM"/imgui.h "$IM"/imconfig.h "$IM"/misc/cpp/imgui_stdlib.h "$IM"/backends/imgui_impl_sdl.h \
     "$IM"/backends/imgui_impl_sdlrenderer.h "$PREFIX/include/imgui/"
  touch "$WORK/.imgui"
fi

touch "$PREFIX/.done"
echo "$PREFIX"
