#!/usr/bin/env bash
# Builds the release build with the benchmarks and runs them all (or the ones named).
# Usage: scripts/bench.sh [bench_name ...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LX_BENCH_BUILD_DIR:-$root/build/bench}
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2" \
  -DLX_BUILD_TESTS=OFF -DLX_BUILD_EXAMPLES=OFF -DLX_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
if (($#)); then names=("$@"); else names=(); for b in "$build"/bench/bench_*; do names+=("$(basename "$b")"); done; fi
for name in "${names[@]}"; do
  echo "== $name"
  "$build/bench/$name"
done
