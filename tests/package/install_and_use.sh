#!/usr/bin/env bash
# Installs the already-built tree into a fresh prefix and uses the package as
# an outside project would: the examples project through find_package(lx)
# (sales_sheet on lx::engine, customers_export on lx::components), and
# customers_export once more with a plain compiler command through
# pkg-config. Each program runs and its output is checked, and the installed
# lxconvert names the package's version.
#
# usage: install_and_use.sh BUILD_DIR SOURCE_DIR WORK_DIR CXX [LAUNCHER]
set -euo pipefail
build=$1 source=$2 work=$3 cxx=$4 launcher=${5:-}
rm -rf "$work"
mkdir -p "$work"
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >"$work/install.log"
echo "installed: $(find "$prefix" -type f | wc -l) files"
for f in include/lx/lxHandle.h include/lx/lxVersion.h lib/liblxengine.a lib/liblxcomponents.a \
  lib/cmake/lx/lxConfig.cmake lib/pkgconfig/lxengine.pc lib/pkgconfig/lxcomponents.pc; do
  [ -f "$prefix/$f" ] || { echo "missing from the prefix: $f" >&2; exit 1; }
done
# Only the public headers: the writers' and the reader's stay inside.
if [ -e "$prefix/include/lx/lxWriteGlobals.h" ]; then echo "an internal header was installed" >&2; exit 1; fi

# Checks that a program ran, said EXPECTED, and wrote an XLS (a compound
# document) when given a file name.
check_run() {
  local expected=$1 file=$2 output
  shift 2
  output=$("$@")
  echo "$output" | sed 's/^/  | /'
  grep -qF -- "$expected" <<<"$output" || { echo "expected \"$expected\" from $*" >&2; exit 1; }
  if [ -n "$file" ]; then
    [ "$(head -c 8 "$file" | od -An -tx1 | tr -d ' \n')" = d0cf11e0a1b11ae1 ] ||
      { echo "$file is not a compound document" >&2; exit 1; }
  fi
}

echo "== find_package(lx): the examples as their own project"
args=(-S "$source/examples" -B "$work/examples" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_PREFIX_PATH="$prefix"
  -DCMAKE_CXX_COMPILER="$cxx")
[ -n "$launcher" ] && args+=(-DCMAKE_CXX_COMPILER_LAUNCHER="$launcher")
command -v ninja >/dev/null && args+=(-G Ninja)
cmake "${args[@]}" >"$work/examples-configure.log"
cmake --build "$work/examples" -j 2 --target sales_sheet customers_export >"$work/examples-build.log"
check_run "Sales: 6 rows x 3 columns" "" "$work/examples/sales_sheet"
check_run "3 customers written" "$work/fp.xls" "$work/examples/customers_export" "$work/fp.xls"

echo "== pkg-config: customers_export with one compiler command"
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
echo "lxcomponents $(pkg-config --modversion lxcomponents)"
# shellcheck disable=SC2046 # the flags are words
$launcher "$cxx" -std=c++20 $(pkg-config --cflags lxcomponents) "$source/examples/customers_export.cpp" \
  -o "$work/customers_export" $(pkg-config --libs lxcomponents)
check_run "3 customers written" "$work/pc.xls" "$work/customers_export" "$work/pc.xls"

echo "== lxconvert: the installed program and its manual page"
version=$(pkg-config --modversion lxengine)
check_run "lxconvert $version" "" "$prefix/bin/lxconvert" --version
[ -f "$prefix/share/man/man1/lxconvert.1" ] || { echo "the manual page of lxconvert is missing" >&2; exit 1; }
grep -qF "lx $version" "$prefix/share/man/man1/lxconvert.1" || { echo "the manual page does not name version $version" >&2; exit 1; }
echo "package: installed, built and ran through find_package and pkg-config"
