#!/usr/bin/env bash
# The Windows cross build's set-up: mingw-w64 and wine from apt, then SDL2, FreeType, SDL2_mixer (MP3
# through its bundled dr_mp3) and Dear ImGui built statically from Debian's source packages, once, into
# a cache folder keyed by the target and the versions. A second run finds them there and does nothing.
# Prints the folder the libraries are in; $CACHE/win64 links to it (the toolchain file looks there).
set -euo pipefail
cd "$(dirname "$0")/../.."

CACHE=${RW_CROSS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/rustwake-cross}
JOBS=${RW_CROSS_JOBS:-2}
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi

PACKAGES=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 zip
          cmake ninja-build pkg-config libstb-dev dpkg-dev)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}" >&2
  # Another apt user may hold the lock for a while: wait for it rather than fail.
  $SUDO apt-get -o DPkg::Lock::Timeout=600 update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
    --no-install-recommends "${missing[@]}" >/dev/null
fi

SRC=$(bash scripts/cross/sources.sh)
SDL=$SRC/libsdl2-2.26.5+dfsg-1
FT=$SRC/freetype-2.12.1+dfsg-5+deb12u4
MIX=$SRC/libsdl2-mixer-2.6.2+dfsg-2
IMGUI=$SRC/imgui-1.86+ds-1
# A new version of any of them (or of this recipe) gives a new folder.
RECIPE=1
KEY=win64-sdl2.26.5-ft2.12.1-mixer2.6.2-imgui1.86-r$RECIPE
PREFIX=$CACHE/$KEY
# Header-only stb of the host's libstb-dev, as the host build includes it (<stb/...>).
stb_headers() {
  mkdir -p "$PREFIX/include/stb"
  cp /usr/include/stb/stb_image_write.h /usr/include/stb/stb_truetype.h /usr/include/stb/stb_rect_pack.h \
    "$PREFIX/include/stb/"
}
if [ -f "$PREFIX/.done" ]; then
  stb_headers
  ln -sfn "$KEY" "$CACHE/win64"
  echo "$PREFIX"
  exit 0
fi

TOOLCHAIN=$PWD/cmake/toolchains/win64.cmake
WORK=$CACHE/build/$KEY
rm -rf "$WORK" "$PREFIX"
mkdir -p "$WORK" "$PREFIX"
LAUNCHER=()
if command -v ccache >/dev/null; then LAUNCHER=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake_lib() {  # name source options...
  local name=$1 src=$2
  shift 2
  echo "-- building $name" >&2
  cmake -S "$src" -B "$WORK/$name" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DRW_CROSS_PREFIX="$PREFIX" -DCMAKE_INSTALL_PREFIX="$PREFIX" -DCMAKE_PREFIX_PATH="$PREFIX" \
    -DBUILD_SHARED_LIBS=OFF "${LAUNCHER[@]}" "$@" >"$WORK/$name.log" 2>&1 ||
    { tail -n 30 "$WORK/$name.log" >&2; exit 1; }
  cmake --build "$WORK/$name" -j "$JOBS" >>"$WORK/$name.log" 2>&1 || { tail -n 30 "$WORK/$name.log" >&2; exit 1; }
  cmake --install "$WORK/$name" >>"$WORK/$name.log" 2>&1 || { tail -n 30 "$WORK/$name.log" >&2; exit 1; }
}

cmake_lib sdl2 "$SDL" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_TESTS=OFF
cmake_lib freetype "$FT" -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
cmake_lib sdl2_mixer "$MIX" -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF \
  -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF \
  -DSDL2MIXER_VORBIS=OFF -DSDL2MIXER_MP3=ON -DSDL2MIXER_MP3_DRMP3=ON -DSDL2MIXER_MP3_MPG123=OFF -DSDL2MIXER_WAVE=ON

# Dear ImGui has no build of its own for this: its core, the C++ string helpers and the two SDL backends,
# with the font packer and rasteriser of Debian's stb (as Debian's host library uses), in one archive.
echo "-- building imgui" >&2
IW=$WORK/imgui
mkdir -p "$IW/stb" "$PREFIX/include/imgui"
cp /usr/include/stb/stb_truetype.h /usr/include/stb/stb_rect_pack.h "$IW/stb/"
objs=()
for f in imgui.cpp imgui_draw.cpp imgui_tables.cpp imgui_widgets.cpp imgui_demo.cpp misc/cpp/imgui_stdlib.cpp \
         backends/imgui_impl_sdl.cpp backends/imgui_impl_sdlrenderer.cpp; do
  o=$IW/$(basename "${f%.cpp}").o
  x86_64-w64-mingw32-g++-posix -O2 -w -std=c++17 -I"$IMGUI" -I"$IW" -I"$PREFIX/include/SDL2" \
    -DIMGUI_STB_RECT_PACK_FILENAME='<stb/stb_rect_pack.h>' -DIMGUI_STB_TRUETYPE_FILENAME='<stb/stb_truetype.h>' \
    -c "$IMGUI/$f" -o "$o" &
  objs+=("$o")
  if (($(jobs -r | wc -l) >= JOBS)); then wait -n; fi
done
wait
rm -f "$PREFIX/lib/libimgui.a"
x86_64-w64-mingw32-ar rcs "$PREFIX/lib/libimgui.a" "${objs[@]}"
cp "$IMGUI"/imgui.h "$IMGUI"/imconfig.h "$IMGUI"/imgui_internal.h "$IMGUI"/imstb_*.h "$IMGUI"/misc/cpp/imgui_stdlib.h \
  "$IMGUI"/backends/imgui_impl_sdl.h "$IMGUI"/backends/imgui_impl_sdlrenderer.h "$PREFIX/include/imgui/"
cp "$IMGUI/LICENSE.txt" "$PREFIX/include/imgui/"

stb_headers
touch "$PREFIX/.done"
ln -sfn "$KEY" "$CACHE/win64"
echo "$PREFIX"
