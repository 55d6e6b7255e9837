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
# The real-window benchmarks run in a virtual display of the given size (skipped without xvfb-run).
on_screen() {
  local size=$1
  shift
  if command -v xvfb-run >/dev/null; then
    SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 ${size}x24 -nolisten tcp" "$@" 2>/dev/null || true
  else
    SDL_AUDIODRIVER=dummy "$@" || true
  fi
}
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  case "$b" in
    *windowed_loop)
      for size in 800x600 1920x1080 3840x2160; do on_screen "$size" "$b" 5 "$size"; done ;;
    *window_startup)
      on_screen 1920x1080 "$b" 10 ;;
    *)
      SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$b" || true ;;
  esac
done
