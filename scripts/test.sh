#!/usr/bin/env bash
# Sets up, builds and runs every test through CTest, headless (no display, no sound card needed).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPRAYDASH_WERROR=ON >/dev/null
cmake --build build
cd build
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ctest --output-on-failure -j"$(nproc)"
