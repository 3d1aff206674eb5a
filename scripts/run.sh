#!/usr/bin/env bash
# Sets up, builds the release build and runs the main job: the Quillon
# program exports the demo orders, grouped by terms and payment method, to
# an XLS file without opening its window, and the Marlet program exports the
# demo customers, each row coloured by the customer's last invoice date, to
# another; then the showcase example builds a workbook of several sheets and
# saves it as BIFF8 and BIFF5 XLS files, the whole workbook as RTF, and its
# active sheet as CSV and TSV, 8-bit and UTF-16. All
# files go into build/release/out unless a folder is given.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LX_RELEASE_BUILD_DIR:-$root/build/release}
out=${1:-$build/out}

bash "$root/scripts/setup.sh"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2" \
  -DLX_BUILD_TESTS=OFF -DLX_BUILD_EXAMPLES=ON -DLX_BUILD_APPS=ON
cmake --build "$build" -j "$(nproc)" --target quillon marlet showcase
mkdir -p "$out"
"$build/apps/quillon/quillon" --export "$out/orders.xls"
"$build/apps/marlet/marlet" --export "$out/customers.xls"
"$build/examples/showcase" "$out"
echo "written: $out/orders.xls $out/customers.xls $out/showcase8.xls $out/showcase5.xls"
echo "         $out/showcase.csv $out/showcase.tsv $out/showcase-utf16.csv $out/showcase-utf16.tsv"
echo "         $out/showcase.rtf"
