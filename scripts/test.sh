#!/usr/bin/env bash
# Sets up, checks the formatting of the sources, builds the test build (-O1
# -g, AddressSanitizer and UndefinedBehaviorSanitizer, warnings as errors)
# and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LX_TEST_BUILD_DIR:-$root/build/test}

bash "$root/scripts/setup.sh"

# The C++ sources are formatted as the root .clang-format says.
bash "$root/scripts/check_format.sh"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
  -DLX_SANITIZE=ON -DLX_WERROR=ON -DLX_BUILD_TESTS=ON -DLX_BUILD_EXAMPLES=ON
cmake --build "$build" -j "$(nproc)"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

# A short fuzz run of every fuzz target (Clang, libFuzzer), when any exist.
if compgen -G "$root/fuzz/*.cpp" >/dev/null; then
  bash "$root/scripts/fuzz.sh" "${LX_FUZZ_SECONDS:-60}"
fi
