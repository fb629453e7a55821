#!/usr/bin/env bash
# Installs, from Debian's packages, everything the build, the program and the
# tests need that this machine lacks. Does nothing when all is present.
set -euo pipefail

packages=(
  # native build and tests
  cmake make g++ pkg-config googletest libgtest-dev libbenchmark-dev
  # the X11 backend
  libx11-dev libxft-dev libxtst-dev libfltk1.3-dev fonts-dejavu-core
  # the Win32 backend, cross-built, and Wine to run it and its tests
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64
  # a private display for tests and the demo, and tools to drive and read it
  xvfb xauth x11-utils x11-apps xdotool imagemagick
  # locale sources, so the decimal-separator test can build a German locale
  locales
  # the packages and their tests: .deb dependencies, lintian, desktop entries, the zip
  dpkg-dev lintian desktop-file-utils unzip
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
