#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   scripts/test.sh              the normal build (g++, libstdc++), in build/: the libraries,
#                                the tools, the demo, the Designer plugin, the benchmarks and
#                                every test
#   scripts/test.sh --sanitize   clang with AddressSanitizer + UndefinedBehaviorSanitizer, in
#                                build-asan/: every test but the benchmarks' and the Designer
#                                plugin's, and the fuzz targets (scripts/fuzz.sh runs them
#                                from the same tree)
#   scripts/test.sh --libcxx     clang with libc++ (cmake/clang-libcxx.cmake), in build-libcxx/:
#                                everything that does not need Qt or Google Benchmark
# Prints how many test cases ran (scripts/count_tests.py); a tree that registers no test, or
# whose programs run no case, fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

case "${1:-}" in
--sanitize)
  source "$root/scripts/sanitizer_tree.sh"
  build_dir="$sanitizer_build_dir"
  "$root/scripts/build.sh" "$build_dir" "${sanitizer_cmake_args[@]}"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  label="tests under the sanitizers"
  ;;
--libcxx)
  build_dir="$root/build-libcxx"
  "$root/scripts/build.sh" "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/clang-libcxx.cmake"
  label="tests with clang and libc++"
  ;;
"")
  build_dir="$root/build"
  "$root/scripts/build.sh" "$build_dir"
  label="tests"
  ;;
*)
  echo "usage: $0 [--sanitize | --libcxx]" >&2
  exit 2
  ;;
esac
cd "$build_dir"
rm -rf test-reports
mkdir -p test-reports
ctest --output-on-failure --no-tests=error -j "$(nproc)"
python3 "$root/scripts/count_tests.py" test-reports "$label"
