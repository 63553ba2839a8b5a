#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   scripts/test.sh              the normal build (g++, libstdc++), in build/
#   scripts/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer, in build-asan/
#   scripts/test.sh --libcxx     clang with libc++ (cmake/clang-libcxx.cmake), in build-libcxx/:
#                                everything that does not need Qt or Google Benchmark
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

case "${1:-}" in
--sanitize)
  build_dir="$root/build-asan"
  "$root/scripts/build.sh" "$build_dir" -DPG_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  ;;
--libcxx)
  build_dir="$root/build-libcxx"
  "$root/scripts/build.sh" "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/clang-libcxx.cmake"
  ;;
"")
  build_dir="$root/build"
  "$root/scripts/build.sh" "$build_dir"
  ;;
*)
  echo "usage: $0 [--sanitize | --libcxx]" >&2
  exit 2
  ;;
esac
cd "$build_dir"
ctest --output-on-failure -j "$(nproc)"
