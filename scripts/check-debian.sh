#!/usr/bin/env bash
# Builds the Debian packages as a distribution would and checks them: a clean clone of the committed
# tree, the upstream tarball made from it, `dpkg-buildpackage -us -uc` (source and binary packages),
# `lintian --pedantic -I` on all of them (nothing but the commented overrides of debian/), then the
# package checks of tests/install/check-install.sh (contents, dependencies, a read-only install played
# as an ordinary user). Takes a full build's time; not part of scripts/test.sh.
# Usage: scripts/check-debian.sh [OUT_DIR]     (the packages and logs stay in OUT_DIR, default build-deb)
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
out=$(mkdir -p "${1:-build-deb}" && cd "${1:-build-deb}" && pwd)
rm -rf "${out:?}"/*
start=$(date +%s)

version=$(dpkg-parsechangelog -l debian/changelog -S Version)
upstream=${version%-*}
git clone -q --no-hardlinks "$top" "$out/rustwake-$upstream"
(cd "$out/rustwake-$upstream" && git archive --prefix="rustwake-$upstream/" HEAD ':!debian' | xz -T2 >"$out/rustwake_$upstream.orig.tar.xz")
rm -rf "$out/rustwake-$upstream/.git"

echo "-- dpkg-buildpackage"
(cd "$out/rustwake-$upstream" && DEB_BUILD_OPTIONS="parallel=${JOBS:-2}" dpkg-buildpackage -us -uc >"$out/build.log" 2>&1) || {
  tail -n 40 "$out/build.log"
  echo "check-debian: dpkg-buildpackage failed (log: $out/build.log)" >&2
  exit 1
}

echo "-- lintian --pedantic -I"
changes=$(ls "$out"/rustwake_*.changes)
lintian --pedantic -I --fail-on error,warning,info,pedantic "$changes" >"$out/lintian.log" 2>&1 || {
  cat "$out/lintian.log"
  echo "check-debian: lintian found problems" >&2
  exit 1
}
cat "$out/lintian.log"

bash tests/install/check-install.sh --debs "$out"
echo "Debian packages checked in $(($(date +%s) - start)) s: $(cd "$out" && ls ./*.deb ./*.dsc | tr '\n' ' ')"
