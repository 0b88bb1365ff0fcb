#!/usr/bin/env bash
# Sets up, builds and starts Rustwake on the bundled demo data.
# Arguments go to the game: `bash scripts/play.sh debug` opens the editor.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# The same build folder and type as the test command, so neither rebuilds the other's work.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target rustwake demo_data
exec build/rustwake --data build/demo "$@"
