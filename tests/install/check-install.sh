#!/usr/bin/env bash
# Installs a finished build into a temporary folder (DESTDIR) and packs the Debian package, then checks
# that each copy starts on its own data from an unrelated folder, that the launcher entries, metadata and
# manual pages are valid, and that every program answers --help and refuses unknown options.
# Usage: tests/install/check-install.sh [BUILD_DIR]     (changes nothing outside a temporary folder)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy LC_ALL=C.UTF-8
fail() {
  echo "check-install: $*" >&2
  exit 1
}

# The installed game, started with no --data from a folder without data/, must reach the main menu.
reaches_menu() {
  mkdir -p "$tmp/elsewhere"
  (cd "$tmp/elsewhere" && "$1" --headless --frames 1000 --seed 1 --dump "$tmp/menu.json" >"$tmp/run.log" 2>&1) ||
    fail "$1 did not start: $(cat "$tmp/run.log")"
  grep -q '"mode": 3,' "$tmp/menu.json" && grep -q '"subState": 0,' "$tmp/menu.json" &&
    grep -q '"errors": \[\]' "$tmp/menu.json" || fail "$1 did not reach the main menu: $(head -c 600 "$tmp/menu.json")"
}

# --help prints the usage on stdout with status 0; an unknown option prints it on stderr with status 2.
answers_help() {
  "$1" --help >"$tmp/help.txt" || fail "$1 --help failed"
  grep -qi usage "$tmp/help.txt" || fail "$1 --help printed no usage"
  local status=0
  "$1" --no-such-option >/dev/null 2>"$tmp/err.txt" || status=$?
  [ "$status" = 2 ] && grep -qi usage "$tmp/err.txt" || fail "$1 --no-such-option: status $status, not 2 with the usage"
}

# A manual page renders without warnings and names every option its program's --help lists.
check_manual() {  # PAGE.gz PROGRAM
  local warnings text option
  warnings=$(MANWIDTH=80 man -l --warnings "$1" 2>&1 >/dev/null) || fail "man -l $1 failed"
  [ -z "$warnings" ] || fail "$1: $warnings"
  text=$(zcat "$1" | sed 's/\\-/-/g')
  for option in $("$2" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -q -- "$option" <<<"$text" || fail "$1 does not describe $option"
  done
}

check_tree() {  # ROOT BINDIR: an installed tree as a desktop sees it
  local root=$1 bin=$2 size
  for program in rustwake rustwake-map; do
    [ -x "$bin/$program" ] || fail "$bin/$program is missing"
    answers_help "$bin/$program"
  done
  reaches_menu "$bin/rustwake"
  desktop-file-validate "$root"/share/applications/*.desktop || fail "desktop entries are not valid"
  grep -qx 'Exec=rustwake debug' "$root"/share/applications/*Editor.desktop || fail "no editor entry"
  appstreamcli validate --no-net "$root"/share/metainfo/*.metainfo.xml >"$tmp/appstream.log" ||
    fail "metainfo is not valid: $(cat "$tmp/appstream.log")"
  for size in 32 48 128 256; do
    local icon=$root/share/icons/hicolor/${size}x${size}/apps/rustwake.png
    [ -f "$icon" ] || fail "$icon is missing"
    # PNG width and height: big-endian at bytes 16 and 20.
    [ "$(od --endian=big -An -tu4 -j16 -N8 "$icon" | tr -s ' ')" = " $size $size" ] || fail "$icon is not ${size}x${size}"
  done
  check_manual "$root/share/man/man6/rustwake.6.gz" "$bin/rustwake"
  check_manual "$root/share/man/man1/rustwake-map.1.gz" "$bin/rustwake-map"
  if [ -x "$bin/rustwake-script" ]; then
    answers_help "$bin/rustwake-script"
    check_manual "$root/share/man/man1/rustwake-script.1.gz" "$bin/rustwake-script"
  fi
}

echo "-- cmake --install (DESTDIR)"
DESTDIR="$tmp/destdir" cmake --install "$build" --prefix /opt/rustwake >/dev/null
check_tree "$tmp/destdir/opt/rustwake" "$tmp/destdir/opt/rustwake/bin"
answers_help "$build/rustwake-demogen"

echo "-- cpack -G DEB"
(cd "$build" && cpack -G DEB >"$tmp/cpack.log" 2>&1) || fail "cpack failed: $(tail -n 20 "$tmp/cpack.log")"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/rustwake_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "$deb was not made"
depends=$(dpkg-deb -f "$deb" Depends)
for need in fonts-wine libsdl2-2.0-0 libsdl2-mixer-2.0-0 libfreetype6; do
  grep -q "$need" <<<"$depends" || fail "the package does not depend on $need: $depends"
done
dpkg-deb -x "$deb" "$tmp/deb"
check_tree "$tmp/deb/usr" "$tmp/deb/usr/games"
lintian --fail-on error "$deb" >"$tmp/lintian.log" 2>&1 || fail "lintian: $(cat "$tmp/lintian.log")"
grep -v 'root privileges' "$tmp/lintian.log" || true
echo "install and package checks passed ($(du -k "$deb" | cut -f1) kB package)"
