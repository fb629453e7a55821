#!/usr/bin/env bash
# Installs, from Debian's packages, everything the build, the program and the
# tests need that this machine lacks. Does nothing when all is present.
set -euo pipefail

packages=(
  # native build and tests
  cmake make g++ pkg-config googletest libgtest-dev libbenchmark-dev
  # the X11 backend
  libx11-dev libxft-dev libxtst-dev libfltk1.3-dev fonts-dejavu-core
  # texts on a Wayland compositor's overlay layer: our own connection with
  # protocol code generated at build time (wayland-scanner comes with
  # libwayland-dev, xdg-output with wayland-protocols), drawn with cairo
  libwayland-dev wayland-protocols libcairo2-dev
  # KWin's lock state (its protocol's description) and udev, which tells of
  # keyboards plugged in
  plasma-wayland-protocols libudev-dev
  # the Win32 backend, cross-built, and Wine to run it and its tests
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64
  # a private display for tests and the demo, and tools to drive and read it
  xvfb xauth x11-utils x11-apps xdotool imagemagick
  # XInput 2, for the X11 keyboard's raw key events
  libxi-dev
  # locale sources, so the decimal-separator test can build a German locale
  locales
  # the sanitizer build and the key list fuzzer (clang's libFuzzer runtime);
  # util-linux's setpriv and passwd's useradd run the program as an ordinary user
  clang libclang-rt-14-dev util-linux passwd
  # texts in shaped windows of their own; a real desktop for the tests
  # (window manager, compositing manager, a terminal) and a count of the
  # server's resources per client
  libxext-dev libxrender-dev libxres-dev openbox picom xterm
  # monitors (RandR 1.5) and keyboard layouts (XKB) as the user has them,
  # and the tools the tests set them up with
  libxrandr-dev x11-xserver-utils x11-xkb-utils xkb-data
  # checks that the window icon header matches the icon drawing
  python3
  # the packages and their tests: .deb dependencies, lintian, desktop entries,
  # AppStream metainfo, the zip, the Windows installer (makensis)
  dpkg-dev lintian desktop-file-utils appstream unzip nsis
)
# Wayland sessions for the tests: headless compositors with XWayland (sway,
# and KWin with a session bus of its own), sway's screenshot tool, native
# windows to focus (a terminal, wev), and sd-bus for the test's client of
# KWin's screenshots. Their recommends (wallpapers, menus) are not needed.
wayland_packages=(sway xwayland grim foot kwin-wayland dbus wev libsystemd-dev)

missing=() missing_wayland=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
for p in "${wayland_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing_wayland+=("$p")
done
[ ${#missing[@]} -eq 0 ] && [ ${#missing_wayland[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]} ${missing_wayland[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
[ ${#missing[@]} -eq 0 ] || $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
[ ${#missing_wayland[@]} -eq 0 ] || $sudo apt-get install -y -qq --no-install-recommends "${missing_wayland[@]}" >/dev/null
