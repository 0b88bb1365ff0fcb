#!/usr/bin/env bash
# The Windows package under wine, held to the Linux build: the same headless runs (the menu, a new game
# with walking and a fight, a quick save and load, the editor panel) give the same dump apart from path
# spelling and the same screenshots byte for byte; the author tools say the same of the demo; the game
# started in a window on SDL's dummy driver ends with status 0; --help and --version reach a pipe.
# Usage: tests/windows/check-windows.sh [HOST_BUILD] [WIN_BUILD]   (defaults: build, build-win64)
set -euo pipefail
cd "$(dirname "$0")/../.."
HOST=$(realpath "${1:-build}")
OUT=$(realpath -m "${2:-build-win64}")
INPUTS=$PWD/tests/windows
CACHE=${RW_CROSS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/rustwake-cross}

zip=$(bash scripts/package.sh win64 "$HOST/demo" "$OUT")
CHECK=$OUT/check
rm -rf "$CHECK"
mkdir -p "$CHECK"
unzip -q "$zip" -d "$CHECK"
PKG=$(echo "$CHECK"/rustwake-*-win64)
echo "package: $zip ($(du -k "$zip" | cut -f1) KiB)"

# Each program stands alone: it needs only DLLs every Windows has. The game is a windowed program (no
# console window when double-clicked), the tools console ones.
SYSTEM_DLLS="advapi32 gdi32 imm32 kernel32 oleaut32 ole32 setupapi shell32 user32 version winmm msvcrt"
for exe in rustwake rustwake-map rustwake-script; do
  info=$(x86_64-w64-mingw32-objdump -p "$PKG/$exe.exe")
  for dll in $(echo "$info" | sed -n 's/.*DLL Name: \(.*\)\.dll/\1/Ip' | tr 'A-Z' 'a-z'); do
    [[ " $SYSTEM_DLLS " == *" $dll "* ]] || echo "FAIL: $exe.exe needs $dll.dll"
  done
  want="Windows CUI"
  [ "$exe" = rustwake ] && want="Windows GUI"
  grep -q "Subsystem.*($want)" <<<"$info" || echo "FAIL: $exe.exe is no $want program"
done | tee "$CHECK/programs.txt"
if grep -q FAIL "$CHECK/programs.txt"; then exit 1; fi
echo "-- programs"

# One wine prefix of our own, made once; no downloads of wine's optional runtimes.
export WINEPREFIX=${RW_WINEPREFIX:-$CACHE/wineprefix-win64} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.rustwake-ready" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  touch "$WINEPREFIX/.rustwake-ready"
fi
# Wine's server stays up between the runs below, then goes by itself.
wineserver -p 30 2>/dev/null || true  # (one may be up already)
# Wine sets %APPDATA% itself (the prefix's user folder), so each run starts from an empty one there.
ROAMING=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Rustwake
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
# Paths as each system spells them, brought to one spelling: "Z:\\x\\y" (JSON), Z:\x\y and Z:/x/y are /x/y.
normalize() {  # file
  python3 -c '
import re, sys
text = open(sys.argv[1], encoding="utf-8", errors="replace").read().replace("\r\n", "\n")
path = lambda m: re.sub(r"\\\\|\\", "/", m.group(1))
text = re.sub(r"\b[A-Za-z]:((?:\\\\|\\|/)[^\s\"]*)", path, text).replace(sys.argv[2], "CHECK")
# The music'"'"'s working copy lies in each system'"'"'s own cache folder.
print(re.sub(r"\"[^\"]*/[Rr]ustwake/temp\.mp3\"", "\"CACHE/temp.mp3\"", text), end="")
' "$1" "$CHECK"
}
same_text() {  # linux-file windows-file what
  local a b
  a=$(normalize "$1")
  b=$(normalize "$2")
  if [ "$a" != "$b" ]; then
    fail "$3 differs"
    diff <(echo "$a") <(echo "$b") | head -n 20 || true
  fi
}

# headless NAME FRAMES [debug] [--input FILE] [--panel-screenshot] [more options]
headless() {
  local name=$1 frames=$2
  shift 2
  local dir=$CHECK/$name args_l=() args_w=() arg
  mkdir -p "$dir/xdg"
  while (($#)); do
    arg=$1
    shift
    case "$arg" in
      --input)
        args_l+=(--input "$INPUTS/$1")
        args_w+=(--input "Z:$INPUTS/$1")
        shift
        ;;
      --panel-screenshot)
        args_l+=(--panel-screenshot "$dir/linux-panel.png")
        args_w+=(--panel-screenshot "Z:$dir/windows-panel.png")
        ;;
      *)
        args_l+=("$arg")
        args_w+=("$arg")
        ;;
    esac
  done
  XDG_CONFIG_HOME=$dir/xdg/config XDG_DATA_HOME=$dir/xdg/data XDG_STATE_HOME=$dir/xdg/state \
    XDG_PICTURES_DIR=$dir/xdg/pictures "$HOST/rustwake" --headless --frames "$frames" --seed 7 "${args_l[@]}" \
    --data "$PKG" --dump "$dir/linux.json" --screenshot "$dir/linux.png" >"$dir/linux.out" 2>&1 ||
    fail "$name: Linux run ended with $?"
  rm -rf "$ROAMING"
  wine "$PKG/rustwake.exe" --headless --frames "$frames" --seed 7 "${args_w[@]}" \
    --data "Z:$PKG" --dump "Z:$dir/windows.json" --screenshot "Z:$dir/windows.png" >"$dir/windows.out" 2>&1 ||
    fail "$name: Windows run ended with $?"
  same_text "$dir/linux.json" "$dir/windows.json" "$name: dump"
  cmp -s "$dir/linux.png" "$dir/windows.png" || fail "$name: screenshot differs"
  if [ -f "$dir/linux-panel.png" ]; then
    cmp -s "$dir/linux-panel.png" "$dir/windows-panel.png" || fail "$name: panel screenshot differs"
  fi
  echo "-- $name"
}

headless menu 1500 --input menu.input
headless walk-and-fight 1500 --input fight.input --map data/locations/loc02.map
headless quick-save-load 900 --input quicksave.input --map data/locations/loc01.map
# The save went through the Windows file write: in place, no temporary file left beside it.
[ "$(ls -A "$ROAMING/saves" 2>/dev/null)" = "quick.sav" ] || fail "saves folder holds: $(ls -A "$ROAMING/saves" 2>&1)"
headless editor 400 debug --input editor.input --map data/locations/loc01.map --panel-screenshot

# The author tools on the demo.
tool() {  # name linux-args... -- windows-args...
  local name=$1 exe=$2
  shift 2
  local l=() w=()
  while [ "$1" != "--" ]; do l+=("$1"); shift; done
  shift
  w=("$@")
  local code_l=0 code_w=0
  "$HOST/$exe" "${l[@]}" >"$CHECK/$name.linux" 2>&1 || code_l=$?
  wine "$PKG/$exe.exe" "${w[@]}" >"$CHECK/$name.windows" 2>&1 || code_w=$?
  [ "$code_l" = "$code_w" ] || fail "$name: status $code_l on Linux, $code_w on Windows"
  same_text "$CHECK/$name.linux" "$CHECK/$name.windows" "$name: output"
  echo "-- $name"
}
tool script-check rustwake-script check --data "$PKG" -- check --data "Z:$PKG"
for map in "$PKG"/data/locations/*.map; do
  tool "map-check-$(basename "$map" .map)" rustwake-map check "$map" -- check "Z:$map"
done
tool map-info rustwake-map info "$PKG/data/locations/loc01.map" -- info "Z:$PKG/data/locations/loc01.map"

# --help and --version of the windowed program reach the caller's output.
wine "$PKG/rustwake.exe" --version >"$CHECK/version.out" 2>&1 || fail "--version ended with $?"
grep -q "^rustwake [0-9]" "$CHECK/version.out" || fail "--version printed: $(cat "$CHECK/version.out")"
wine "$PKG/rustwake.exe" --help >"$CHECK/help.out" 2>&1 || fail "--help ended with $?"
grep -q -- "--headless" "$CHECK/help.out" || fail "--help printed nothing useful"
code=0
wine "$PKG/rustwake.exe" --no-such-option >"$CHECK/bad.out" 2>&1 || code=$?
[ "$code" = 2 ] && grep -q "no-such-option" "$CHECK/bad.out" || fail "a bad option: status $code, $(head -c 200 "$CHECK/bad.out")"
echo "-- console"

# A windowed start from a folder of a Cyrillic name, the data found by the program itself beside it (no
# --data), left through the menu.
WIDE=$CHECK/Пустошь
mkdir -p "$WIDE"
cp -r "$PKG" "$WIDE/"
rm -rf "$ROAMING"
code=0
timeout 300 wine "$WIDE/$(basename "$PKG")/rustwake.exe" --windowed --input "Z:$INPUTS/exit.input" \
  --frames 2000 --dump "Z:$CHECK/windowed.json" >"$CHECK/windowed.out" 2>&1 || code=$?
[ "$code" = 0 ] || fail "windowed start ended with $code: $(tail -n 5 "$CHECK/windowed.out")"
grep -q '"closed": true' "$CHECK/windowed.json" 2>/dev/null || fail "the windowed game did not close from its menu"
grep -q "Пустошь.$(basename "$PKG")" "$ROAMING/rustwake.log" 2>/dev/null ||
  fail "windowed start: no log in %APPDATA%\\Rustwake naming the package's data folder"
echo "-- windowed"

if ((failures)); then
  echo "Windows: $failures failed"
  exit 1
fi
echo "Windows: all passed"
