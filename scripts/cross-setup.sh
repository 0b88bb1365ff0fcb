#!/usr/bin/env bash
# Sets up a cross build: the toolchain, the libraries built once into the cross cache.
# Usage: scripts/cross-setup.sh TARGET     (TARGET: win64, web)
# Then: cmake --preset TARGET && cmake --build --preset TARGET
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-}
if [ -z "$target" ] || [ ! -f "scripts/cross/$target.sh" ]; then
  echo "usage: scripts/cross-setup.sh TARGET   (targets: $(cd scripts/cross && ls | grep -v '^sources.sh$' | sed 's/\.sh$//' | tr '\n' ' '))" >&2
  exit 2
fi
exec bash "scripts/cross/$target.sh"
