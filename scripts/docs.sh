#!/usr/bin/env bash
# Builds the API reference of the installed headers with Doxygen into
# build/docs (or the folder given as the first argument) and fails when
# Doxygen warns, for instance about a public type or operation without a
# comment. The header list is cmake/lxPublicHeaders.cmake; the headers' //
# comments reach Doxygen through scripts/doxygen_filter.py.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/docs}
mkdir -p "$out"

mapfile -t headers < <(cmake -P "$root/cmake/lxPublicHeaders.cmake" 2>&1)
inputs=("$root/engine/lxVersion.h.in")
for h in "${headers[@]}"; do inputs+=("$root/$h"); done
version=$(sed -n 's/^project(lxengine VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")

warnings="$out/warnings.log"
{
  cat "$root/docs/api/Doxyfile"
  echo "PROJECT_NUMBER = $version"
  echo "OUTPUT_DIRECTORY = $out"
  echo "WARN_LOGFILE = $warnings"
  echo "INPUT = ${inputs[*]} $root/docs/api/mainpage.md"
  echo "USE_MDFILE_AS_MAINPAGE = $root/docs/api/mainpage.md"
  echo "STRIP_FROM_PATH = $root"
  echo "FILTER_PATTERNS = *.h=\"/usr/bin/python3 $root/scripts/doxygen_filter.py\" *.in=\"/usr/bin/python3 $root/scripts/doxygen_filter.py\""
} | doxygen - >"$out/doxygen.log"

if grep -q "warning:" "$warnings"; then
  echo "docs: Doxygen warned ($(grep -c "warning:" "$warnings") warnings, $warnings):" >&2
  head -n 40 "$warnings" >&2
  exit 1
fi
echo "docs: API reference of ${#headers[@]} headers in $out/html/index.html, no warnings"
