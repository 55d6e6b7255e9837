#!/usr/bin/env bash
# Sets up, builds and starts the game from the build folder (where Data/ lives).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target spraydash
cd build && exec ./spraydash "$@"
