#!/usr/bin/env bash
# Builds the benchmarks and prints one table of every measurement.
# Usage: bash bench/run.sh [build-folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
# Same optimised configuration as the test build, so the two share one build folder.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" >/dev/null
printf '| %-44s | %12s | %-10s | %-16s |\n' "measurement" "value" "unit" "goal"
printf '|%s|%s|%s|%s|\n' "----------------------------------------------" "--------------" "------------" "------------------"
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  case "$b" in
    *windowed*)
      if command -v xvfb-run >/dev/null; then SDL_AUDIODRIVER=dummy xvfb-run -a "$b" 2>/dev/null || true; else "$b" || true; fi ;;
    *)
      SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$b" || true ;;
  esac
done
