#!/usr/bin/env bash
# Sets up a cross build once: its toolchain, Debian's library sources and the libraries built for the
# target, in a cache folder keyed by target and versions. Prints that folder.
# Usage: scripts/cross-setup.sh TARGET     (TARGET: web)
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-}
if [ -z "$target" ] || [ ! -f "scripts/cross/$target.sh" ]; then
  echo "usage: scripts/cross-setup.sh TARGET   (targets: $(cd scripts/cross && ls -- *.sh | grep -v '^sources.sh$' | sed 's/\.sh$//' | tr '\n' ' '))" >&2
  exit 2
fi
exec bash "scripts/cross/$target.sh"
