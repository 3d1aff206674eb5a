#!/usr/bin/env bash
# Sets up, builds the release build and runs the main job: the example program
# that shows what the engine does so far.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LX_RELEASE_BUILD_DIR:-$root/build/release}

bash "$root/scripts/setup.sh"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2" \
  -DLX_BUILD_TESTS=OFF -DLX_BUILD_EXAMPLES=ON
cmake --build "$build" -j "$(nproc)" --target tour
"$build/examples/tour" "$@"
