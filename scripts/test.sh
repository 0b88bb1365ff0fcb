#!/usr/bin/env bash
# Sets up, builds and runs every test: the normal build, its install (played
# read-only as an ordinary user), the Windows package under wine, the browser
# build in headless Chromium, the same suites under AddressSanitizer and
# UndefinedBehaviorSanitizer, and a short run of each fuzz target. The Debian
# packages take a build of their own: scripts/check-debian.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
JOBS=$(nproc)
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

echo "== build and test"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRW_BUILD_TESTS=ON -DRW_BUILD_BENCH=ON \
  -DRW_STRICT_WARNINGS=ON >/dev/null
cmake --build build -j "$JOBS"
ctest --test-dir build --output-on-failure -j "$JOBS" | tee build/ctest.log

echo "== install and package"
bash tests/install/check-install.sh build

echo "== windows"
windows_start=$SECONDS
RW_JOBS=$JOBS RW_CROSS_JOBS=$JOBS bash tests/windows/check-windows.sh build build-win64
echo "Windows part: $((SECONDS - windows_start)) s"

echo "== web"
# The browser build against the native one, in headless Chromium (the libraries are built once into
# the cross cache).
web_start=$(date +%s)
bash scripts/package.sh web build/demo build-web/site
/usr/bin/python3 tests/web/web_test.py build build-web/site
echo "web part: $(($(date +%s) - web_start)) s"

echo "== sanitizers"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRW_SANITIZE=ON -DRW_BUILD_BENCH=OFF \
  -DRW_STRICT_WARNINGS=ON >/dev/null
cmake --build build-asan -j "$JOBS"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build-asan --output-on-failure -j "$JOBS" |
  tee build-asan/ctest.log

if ls fuzz/*.cpp >/dev/null 2>&1; then
  echo "== fuzzing"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRW_FUZZ=ON \
    -DRW_BUILD_TESTS=OFF -DRW_BUILD_BENCH=OFF >/dev/null
  cmake --build build-fuzz -j "$JOBS"
  for f in build-fuzz/fuzz_*; do
    [ -x "$f" ] || continue
    name=$(basename "$f")
    corpus="build-fuzz/corpus/$name"
    echo "-- $name"
    mkdir -p "$corpus"
    # Seeds: the demo's real files of the kind the target reads (fuzz/seeds.txt), and a length limit
    # that holds them.
    maxlen=()
    while read -r target len folder ext; do
      [ "$target" = "${name#fuzz_}" ] || continue
      maxlen=(-max_len="$len")
      [ "$folder" = "-" ] || find "build/demo/$folder" -type f -iname "*$ext" -size -"$((len + 1))"c -exec cp -t "$corpus" {} +
    done < <(grep -v '^#' fuzz/seeds.txt)
    "$f" -max_total_time="${FUZZ_SECONDS:-30}" "${maxlen[@]}" -print_final_stats=0 "$corpus" 2>&1 | tail -n 3
  done
fi
total=0
for log in build/ctest.log build-asan/ctest.log; do
  n=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  total=$((total + ${n:-0}))
done
echo "Tests: $total passed, 0 failed"
