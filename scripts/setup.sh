#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing need.
# Idempotent: asks apt only for what is missing, so it is quick when nothing is.
set -euo pipefail

packages=(
  # toolchain and test frameworks
  build-essential cmake g++ clang libclang-rt-14-dev clang-format-14
  libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev
  # the API reference (scripts/docs.sh)
  doxygen
  # text measurement for auto-fit: font lookup, font reading, and faces
  # metric-compatible with Arial, Times New Roman and Courier New
  libfontconfig-dev libfreetype-dev pkg-config fonts-liberation2
  # interop peers used by tests/interop and bench/
  python3 python3-xlrd python3-olefile python3-xlwt libreoffice-calc-nogui python3-uno gnumeric
  # catdoc's xls2csv: a reader bench/compare --reads races
  catdoc
  # a real browser for the HTML pages (headless)
  chromium
  # LibreOffice Writer reads our RTF; poppler-utils turns its PDF of a page
  # into the picture in docs/
  libreoffice-writer-nogui poppler-utils
  # the programs' windows (Qt 6 Widgets; the offscreen platform for tests and
  # screenshots comes with the platform plugins) and a font to draw them with
  qt6-base-dev qt6-qpa-plugins fonts-dejavu-core
)
# bench/compare runs its SheetJS peer under Node.js and installs it with npm;
# a node already on the PATH (from another package source) is kept as it is.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  packages+=(nodejs npm)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "setup: all packages present"
fi
