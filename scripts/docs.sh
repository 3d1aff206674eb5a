#!/usr/bin/env bash
# Builds the API reference of the installed headers with Doxygen into
# build/docs (or the folder given as the first argument). The header list is
# cmake/lxPublicHeaders.cmake; the headers' // comments reach Doxygen through
# scripts/doxygen_filter.py.
#
# Fails when Doxygen warns about a header of the documented list below, for
# instance about a public type or operation without a comment. The other
# installed headers are the engine's support headers that the documented ones
# include; their warnings are counted, printed and kept in warnings.log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/docs}
mkdir -p "$out"

mapfile -t headers < <(cmake -P "$root/cmake/lxPublicHeaders.cmake" 2>&1)
inputs=("$root/engine/lxVersion.h.in")
for h in "${headers[@]}"; do inputs+=("$root/$h"); done
version=$(sed -n 's/^project(lxengine VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")

# Every public type and operation of these has a comment.
documented=(
  lxVersion.h.in lxConstants.h lxHandle.h lxObject.h lxVariant.h lxStyle.h lxPageSetup.h lxText.h lxStringTable.h
  lxDataToXLS.h lxGridToXLS.h lxExportBase.h lxSQLiteDataSet.h lxCellStyle.h lxGroup.h lxDBGrids.h lxClasses.h
  lxDB.h lxGraphics.h lxSysUtils.h
)

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

pattern=$(printf '/%s:|' "${documented[@]}")
pattern=${pattern%|}
strict=$(grep -E "$pattern" "$warnings" || true)
if [ -n "$strict" ]; then
  echo "docs: Doxygen warned about the documented headers:" >&2
  head -n 40 <<<"$strict" >&2
  exit 1
fi
other=$(grep -c "warning:" "$warnings" || true)
echo "docs: API reference in $out/html/index.html; ${#documented[@]} documented headers without warnings"
if [ "$other" -gt 0 ]; then
  echo "docs: $other warnings about the support headers (undocumented members):"
  grep "warning:" "$warnings" | sed -E 's|^.*/([^/:]+):[0-9]+:.*$|\1|' | sort | uniq -c | sort -rn | sed 's/^/  /'
fi
