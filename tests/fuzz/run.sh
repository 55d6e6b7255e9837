#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer) and runs
# each for the given number of seconds over its seed corpus; new inputs go to a scratch corpus, and a
# crash leaves its input in build-fuzz/crashes/ (add it as a regression seed and test).
# Usage: bash tests/fuzz/run.sh [seconds-per-target]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPRAYDASH_FUZZ=ON \
  -DSPRAYDASH_BENCH=OFF >/dev/null
targets=$(cd "$build" && ninja -t targets all | sed -n 's/^\(fuzz_[a-z_]*\): .*/\1/p' | grep -v '^fuzz_replay_' | sort -u)
# shellcheck disable=SC2086
cmake --build "$build" --target $targets >/dev/null
mkdir -p "$build/crashes"
status=0
for t in $targets; do
  name=${t#fuzz_}
  exe=$(find "$build/tests" -type f -name "$t" | head -n 1)
  seeds=$(find tests -type d -path "*corpus/$name" | head -n 1)
  work="$build/corpus-$name"
  mkdir -p "$work"
  echo "== $t for ${seconds}s (seeds: ${seeds:-none})"
  if ! "$exe" -max_total_time="$seconds" -artifact_prefix="$build/crashes/$name-" -print_final_stats=1 \
       "$work" ${seeds:+"$seeds"} 2>"$build/$t.log"; then
    echo "   CRASH: see $build/$t.log and $build/crashes/"
    status=1
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$build/$t.log" | sed 's/^/   /' || true
done
exit $status
