#!/usr/bin/env bash
# Installs, from Debian's archive, whatever the build, the tests and the demo need and
# this machine lacks, and the packages named as arguments (what other scripts need
# besides). Safe to run again: it installs nothing when all is present. With --demo, only
# what building the libraries and the demo needs (scripts/demo.sh).
#   scripts/setup.sh [--demo] [PACKAGE...]
set -euo pipefail

# The libraries and the demo.
demo_packages=(
  g++ cmake ninja-build pkg-config
  nlohmann-json3-dev
  qt6-base-dev fonts-dejavu-core
)
if [ "${1:-}" = "--demo" ]; then
  shift
  packages=("${demo_packages[@]}" "$@")
else
packages=(
  "${demo_packages[@]}"
  libgtest-dev libgmock-dev libbenchmark-dev
  python3 binutils
  # the Designer plugin (Qt6::UiPlugin) and its test (Qt6::UiTools, whose CMake package
  # needs Qt6::OpenGL's), and the API documentation (scripts/docs.sh)
  qt6-tools-dev libqt6opengl6-dev doxygen
  # what a screen reader sees of the demo (the accessibility test): an X server, a session
  # bus with the accessibility bus, its Python bindings, and real mouse input
  xvfb xauth dbus at-spi2-core python3-pyatspi xdotool
  # the second toolchain (scripts/test.sh --libcxx), which builds GoogleTest from its sources
  clang libc++-dev libc++abi-dev googletest
  # instruction counts of the benchmarks' paths (callgrind; its client requests' header)
  valgrind
  "$@"
)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
