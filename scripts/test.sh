#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   scripts/test.sh              the normal build, in build/
#   scripts/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer, in build-asan/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

if [ "${1:-}" = "--sanitize" ]; then
  build_dir="$root/build-asan"
  "$root/scripts/build.sh" "$build_dir" -DPG_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  build_dir="$root/build"
  "$root/scripts/build.sh" "$build_dir"
fi
cd "$build_dir"
ctest --output-on-failure -j "$(nproc)"
