#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (as root).
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libqt6sql6-sqlite libqt6sql6-psql
  libcups2-dev libzint-dev libcsv-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # fuzzing (libFuzzer and the sanitizers' runtimes)
  clang-14 libclang-rt-14-dev
  # fonts with the metrics of Times New Roman and Arial
  fonts-liberation2
  # fontconfig, through which the page renderer finds a font for characters Liberation lacks;
  # fallback fonts with TrueType outlines, which the PDF writer subsets: the world's scripts,
  # Chinese and Japanese, Korean
  libfontconfig-dev fonts-noto-core fonts-droid-fallback fonts-nanum
  # printing and the test queue
  cups cups-client cups-bsd printer-driver-cups-pdf
  # real drivers and an IPP Everywhere printer for the printing tests
  printer-driver-postscript-hp openprinting-ppds cups-ipp-utils avahi-daemon dbus
  # looking at the output as a user would
  poppler-utils qpdf
  # Debian packages: library dependencies (dpkg-shlibdeps) and file types for CPack
  dpkg-dev file
  # the shared database the office programs use
  postgresql
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
