#!/usr/bin/env bash
# Installs a finished build into a temporary folder (DESTDIR) and checks that the copy starts on its own
# data from an unrelated folder, that the launcher entries, metadata and manual pages are valid, that
# every program answers --help and --version and refuses unknown options, and that the licence and the
# documentation are installed. Then installs into a prefix owned by root and plays it as an ordinary
# user: menu music, a new game, a location change, a save loaded from the main menu, with music on
# throughout and nothing written under the prefix.
# Usage: tests/install/check-install.sh [BUILD_DIR]       (changes nothing outside a temporary folder)
#        tests/install/check-install.sh --debs DEB_DIR    the same checks on built Debian packages
set -euo pipefail
debs=""
if [ "${1:-}" = "--debs" ]; then
  debs=$(cd "$2" && pwd)
else
  build=$(cd "${1:-build}" && pwd)
fi
tmp=$(mktemp -d)
# The ordinary user of the play check must reach the installed tree inside.
chmod 755 "$tmp"
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

# --help prints the usage on stdout with status 0, --version the version with status 0; an unknown option
# prints the usage on stderr with status 2.
answers_help() {
  "$1" --help >"$tmp/help.txt" || fail "$1 --help failed"
  grep -qi usage "$tmp/help.txt" || fail "$1 --help printed no usage"
  "$1" --version >"$tmp/version.txt" || fail "$1 --version failed"
  grep -q "^$(basename "$1") [0-9]" "$tmp/version.txt" || fail "$1 --version printed $(cat "$tmp/version.txt")"
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

check_tree() {  # ROOT GAMEDIR TOOLDIR: an installed tree as a desktop sees it
  local root=$1 games=$2 bin=$3 size
  answers_help "$games/rustwake"
  answers_help "$bin/rustwake-map"
  reaches_menu "$games/rustwake"
  [ -f "$root/share/games/rustwake/data/data/game.ini" ] || fail "no data in $root/share/games/rustwake"
  desktop-file-validate "$root"/share/applications/*.desktop || fail "desktop entries are not valid"
  grep -qx 'Exec=rustwake debug' "$root"/share/applications/*editor.desktop || fail "no editor entry"
  appstreamcli validate --pedantic --no-net "$root"/share/metainfo/*.metainfo.xml >"$tmp/appstream.log" ||
    fail "metainfo is not valid: $(cat "$tmp/appstream.log")"
  grep -qx '. Validation was successful.' "$tmp/appstream.log" || fail "metainfo: $(cat "$tmp/appstream.log")"
  for size in 32 48 128 256; do
    local icon=$root/share/icons/hicolor/${size}x${size}/apps/rustwake.png
    [ -f "$icon" ] || fail "$icon is missing"
    # PNG width and height: big-endian at bytes 16 and 20.
    [ "$(od --endian=big -An -tu4 -j16 -N8 "$icon" | tr -s ' ')" = " $size $size" ] || fail "$icon is not ${size}x${size}"
  done
  check_manual "$root/share/man/man6/rustwake.6.gz" "$games/rustwake"
  check_manual "$root/share/man/man1/rustwake-map.1.gz" "$bin/rustwake-map"
  if [ -x "$bin/rustwake-script" ]; then
    answers_help "$bin/rustwake-script"
    check_manual "$root/share/man/man1/rustwake-script.1.gz" "$bin/rustwake-script"
  fi
  for doc in THIRD-PARTY.md scripting.md data.md; do
    # (The Debian package compresses them.)
    [ -f "$root/share/doc/rustwake/$doc" ] || [ -f "$root/share/doc/rustwake/$doc.gz" ] ||
      fail "$root/share/doc/rustwake/$doc is missing"
  done
  # The manual covers the player's files, the variables that move them and the keys.
  local manual
  manual=$(zcat "$root/share/man/man6/rustwake.6.gz")
  for word in settings.ini saves rustwake.log XDG_CONFIG_HOME XDG_DATA_HOME XDG_STATE_HOME XDG_CACHE_HOME \
    XDG_PICTURES_DIR F5 F9 F12 Escape Alt+Enter; do
    grep -qF -- "$word" <<<"$manual" || fail "rustwake(6) does not mention $word"
  done
  ! grep -rlI 'rustwake\.example' "$root" || fail "a placeholder address is installed"
}

# One headless run of the installed game as the ordinary user `nobody`, with a home of its own.
run_as_player() {  # NAME GAME [ARGS...]
  local name=$1 game=$2
  shift 2
  (cd "$tmp/player" && setpriv --reuid=nobody --regid=nogroup --clear-groups env -u XDG_CONFIG_HOME \
    -u XDG_DATA_HOME -u XDG_STATE_HOME -u XDG_PICTURES_DIR -u XDG_CACHE_HOME HOME="$tmp/player" \
    "$game" --headless --seed 1 --dump "$tmp/player/$name.json" "$@" >"$tmp/run.log" 2>&1) ||
    fail "$name: $game did not run: $(cat "$tmp/run.log")"
  grep -q '"errors": \[\]' "$tmp/player/$name.json" || fail "$name: errors: $(head -c 800 "$tmp/player/$name.json")"
  # The music plays, from the player's cache or from the track itself.
  tr -d '\n ' <"$tmp/player/$name.json" | grep -q '"music":{"on":true,"broken":false' ||
    fail "$name: no music: $(grep -A3 '"music"' "$tmp/player/$name.json")"
}

# The installed tree belongs to root and cannot be written by the player: menu music; a new game with
# a quick save; a location change (quick load of a save made on another location); back to the main
# menu and a save loaded from there. Nothing under the prefix may change.
plays_read_only() {  # ROOT GAME
  local root=$1 game=$2 input=$tmp/player/input
  mkdir -p "$tmp/player" && chown nobody:nogroup "$tmp/player"
  chmod -R a-w "$root"
  touch "$tmp/stamp"
  sleep 1
  run_as_player menu "$game" --frames 1000
  # The working copy of the track is the player's, and gone when the game ends.
  grep -qF "\"file\": \"$tmp/player/.cache/rustwake/temp.mp3\"" "$tmp/player/menu.json" ||
    fail "the music's working copy is not in the player's cache: $(grep '"file"' "$tmp/player/menu.json")"
  [ ! -e "$tmp/player/.cache/rustwake/temp.mp3" ] || fail "the music's working copy outlived the game"
  # The splash ends after 9 s (900 frames); "Новая игра", then F5.
  printf '950 move 100 130\n951 down left\n952 up left\n1000 keydown 116\n1002 keyup 116\n' >"$input"
  run_as_player new "$game" --frames 1010 --input "$input"
  grep -q '"pattern": "pattern1"' "$tmp/player/new.json" || fail "new game: not on the first location"
  # A game on the second location, saved in slot 1.
  printf '10 keydown 27\n12 keyup 27\n20 move 400 240\n21 down left\n22 up left\n40 move 400 150\n41 down left\n42 up left\n' >"$input"
  run_as_player second "$game" --frames 60 --map data/locations/loc02.map --input "$input"
  local second
  second=$(grep -o '"pattern": "[^"]*"' "$tmp/player/second.json")
  [ "$second" != '"pattern": "pattern1"' ] || fail "--map loc02 did not start on another location"
  # New game on the first location, then Escape, Загрузить, Ячейка 1: the location changes in the game;
  # Escape, Выйти в меню, Да, выйти: the main menu; its Загрузить, Ячейка 1: loaded from the main menu.
  printf '%s\n' '950 move 100 130' '951 down left' '952 up left' \
    '1000 keydown 27' '1002 keyup 27' '1010 move 400 282' '1011 down left' '1012 up left' \
    '1020 move 400 150' '1021 down left' '1022 up left' >"$input"
  run_as_player travel "$game" --frames 1040 --input "$input"
  grep -qF "$second" "$tmp/player/travel.json" || fail "the location did not change: $(grep pattern "$tmp/player/travel.json")"
  printf '%s\n' '950 move 100 130' '951 down left' '952 up left' \
    '1000 keydown 27' '1002 keyup 27' '1010 move 400 366' '1011 down left' '1012 up left' \
    '1020 move 400 312' '1021 down left' '1022 up left' \
    '1040 move 120 265' '1041 down left' '1042 up left' '1050 move 400 150' '1051 down left' '1052 up left' >"$input"
  run_as_player loaded "$game" --frames 1070 --input "$input"
  grep -q '"mode": 0,' "$tmp/player/loaded.json" && grep -qF "$second" "$tmp/player/loaded.json" ||
    fail "the save was not loaded from the main menu: $(head -c 600 "$tmp/player/loaded.json")"
  local changed
  changed=$(find "$root" -newer "$tmp/stamp" | head)
  [ -z "$changed" ] || fail "the game wrote under the install: $changed"
  chmod -R u+w "$root"
}

if [ -n "$debs" ]; then
  echo "-- Debian packages"
  arch=$(dpkg --print-architecture)
  game_deb=$(ls "$debs"/rustwake_*_"$arch".deb)
  data_deb=$(ls "$debs"/rustwake-data_*_all.deb)
  depends=$(dpkg-deb -f "$game_deb" Depends)
  for need in fonts-wine rustwake-data libsdl2-2.0-0 libsdl2-mixer-2.0-0 libfreetype6; do
    grep -q "$need" <<<"$depends" || fail "rustwake does not depend on $need: $depends"
  done
  dpkg-deb -x "$game_deb" "$tmp/deb"
  dpkg-deb -x "$data_deb" "$tmp/deb"
  [ -z "$(dpkg-deb -c "$game_deb" | grep ' ./usr/share/games/')" ] || fail "the data is in the game's package"
  [ -z "$(dpkg-deb -c "$data_deb" | grep -E ' ./usr/(bin|games)/')" ] || fail "programs in the data package"
  check_tree "$tmp/deb/usr" "$tmp/deb/usr/games" "$tmp/deb/usr/bin"
  [ -f "$tmp/deb/usr/share/doc/rustwake/copyright" ] || fail "no copyright file"
  plays_read_only "$tmp/deb/usr" "$tmp/deb/usr/games/rustwake"
  echo "package checks passed ($(du -k "$game_deb" | cut -f1) kB + $(du -k "$data_deb" | cut -f1) kB)"
  exit 0
fi

echo "-- cmake --install (DESTDIR)"
DESTDIR="$tmp/destdir" cmake --install "$build" --prefix /opt/rustwake >/dev/null
check_tree "$tmp/destdir/opt/rustwake" "$tmp/destdir/opt/rustwake/bin" "$tmp/destdir/opt/rustwake/bin"
[ -f "$tmp/destdir/opt/rustwake/share/doc/rustwake/LICENSE" ] || fail "LICENSE is not installed"
answers_help "$build/rustwake-demogen"

echo "-- a read-only install played as an ordinary user"
cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
plays_read_only "$tmp/prefix" "$tmp/prefix/bin/rustwake"
echo "install checks passed"
