#!/usr/bin/env bash
# Checks that every C++ file git tracks is formatted as the root .clang-format
# says (clang-format 14, as Debian 12 ships it). Prints the files that are
# not and exits 1; with --fix, formats them in place.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
if [[ ${1:-} == --fix ]]; then
  clang-format-14 -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  if ! clang-format-14 --dry-run --Werror "$f" >/dev/null 2>&1; then bad+=("$f"); fi
done
if ((${#bad[@]})); then
  printf 'format: %s is not formatted (scripts/check_format.sh --fix)\n' "${bad[@]}"
  exit 1
fi
echo "format: ${#files[@]} files formatted as .clang-format says"
