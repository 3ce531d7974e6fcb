#!/usr/bin/env bash
# Builds the Debian packages from a build tree, installs them on this machine
# with apt-get, prints an envelope with the installed `envelope` and checks the
# PDF, lists each package's files, and removes the packages again.
# As root; needs dpkg-dev and file (for the library dependencies) and poppler-utils.
#
# Usage: scripts/package-test.sh [BUILD_DIR]   (default: build/ci, built already)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/ci}" && pwd)

if [[ $(id -u) -ne 0 ]]; then
  echo "package-test.sh: must run as root" >&2
  exit 1
fi
if [[ ! -f $build/CPackConfig.cmake ]]; then
  echo "package-test.sh: $build is not a configured build tree" >&2
  exit 1
fi

work=$(mktemp -d)
packages=()
cleanup() {
  if ((${#packages[@]})); then
    echo "== Removing ${packages[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -q "${packages[@]}" >/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "== Building the packages"
(cd "$build" && cpack -G DEB -B "$work/debs" >"$work/cpack.log") || { cat "$work/cpack.log" >&2; exit 1; }
cd "$work/debs"
debs=(./*.deb)
for deb in "${debs[@]}"; do
  packages+=("$(dpkg-deb -f "$deb" Package)")
  echo "$deb: Depends: $(dpkg-deb -f "$deb" Depends)"
done

echo "== Installing ${packages[*]}"
DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${debs[@]}" >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; exit 1; }

echo "== Printing with the installed envelope"
program=$(command -v envelope)
if [[ $program != /usr/bin/envelope ]]; then
  echo "package-test.sh: envelope is $program, not the installed /usr/bin/envelope" >&2
  exit 1
fi
mkdir -p "$work/run/wine"
# An empty Wine prefix: the command prints without a return address and says so.
(cd "$work/run" && env -u QT_QPA_PLATFORM WINEPREFIX="$work/run/wine" /usr/bin/envelope --pdf out.pdf)
info=$(pdfinfo "$work/run/out.pdf")
pages=$(awk -F: '/^Pages:/ {gsub(/ /, "", $2); print $2}' <<<"$info")
size=$(awk -F: '/^Page size:/ {sub(/^ +/, "", $2); print $2}' <<<"$info")
if [[ $pages != 1 || $size != "684 x 297 pts" ]]; then
  echo "package-test.sh: expected one 684 x 297 pt page, got $pages page(s) of $size" >&2
  exit 1
fi
echo "out.pdf: $pages page, $size"
# The postal rules read their tables from /usr/share/korva-envelope (korva-envelope-data).
printf 'name,street1,street2,city,state,zip\nOrrin Vask,123 Here Road,Apartment 4,Anchorage,Alaska,99501\n' >"$work/run/one.csv"
check=$(cd "$work/run" && WINEPREFIX="$work/run/wine" /usr/bin/envelope check --csv one.csv --address-style pub28 2>&1) || {
  echo "package-test.sh: envelope check failed: $check" >&2
  exit 1
}
echo "$check"
pkg-config --exists korva-envelope || { echo "package-test.sh: korva-envelope.pc is not found" >&2; exit 1; }

for p in "${packages[@]}"; do
  echo "== dpkg -L $p"
  dpkg -L "$p"
done
echo "== Packages work: ${packages[*]}"
