#!/usr/bin/env bash
# Builds the fuzz targets with Clang and libFuzzer and runs each one briefly over
# its seed corpus. Usage: scripts/fuzz.sh [total-seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LX_FUZZ_BUILD_DIR:-$root/build/fuzz}
total=${1:-60}

CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DLX_SANITIZE=ON -DLX_BUILD_FUZZ=ON \
  -DLX_BUILD_TESTS=OFF -DLX_BUILD_EXAMPLES=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

targets=("$build"/fuzz/fuzz_*)
[ -e "${targets[0]}" ] || { echo "fuzz: no targets"; exit 0; }
per=$(( total / ${#targets[@]} ))
(( per > 0 )) || per=1
for target in "${targets[@]}"; do
  name=$(basename "$target")
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  seeds="$root/fuzz/corpus/${name#fuzz_}"
  echo "fuzz: $name for ${per}s"
  "$target" -max_total_time="$per" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ) 2>&1 | tail -n 12
  echo "fuzz: $name passed"
done
