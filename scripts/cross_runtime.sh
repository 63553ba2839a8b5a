#!/usr/bin/env bash
# Runs the COM-only host (tests/cross_runtime/host.cpp) across the two toolchains' builds,
# both ways, so that one process holds libraries of both C++ runtimes:
#   1. the clang/libc++ host of LIBCXX_BUILD against libcomrt.so, libtessel.so and
#      liborvane.so of GXX_BUILD (g++/libstdc++);
#   2. the g++/libstdc++ host of GXX_BUILD against libcomrt.so and libtessel.so of
#      LIBCXX_BUILD, with GXX_BUILD's liborvane.so.
#
#   scripts/cross_runtime.sh [GXX_BUILD [LIBCXX_BUILD]]     (default build/ and build-libcxx/)
#
# Both builds must exist (scripts/test.sh, scripts/test.sh --libcxx). LD_LIBRARY_PATH makes
# each host load the other build's libcomrt.so: ldd must say so before the run, and the
# host checks it again from inside. Exits non-zero when a file is missing, when a host
# would load the wrong libcomrt.so or not both runtimes, or when any check fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
gxx=$(realpath "${1:-$root/build}")
libcxx=$(realpath "${2:-$root/build-libcxx}")

fail() {
  echo "cross_runtime: $*" >&2
  exit 1
}

for file in "$gxx/bin/cross_runtime_host" "$gxx/lib/libcomrt.so" "$gxx/lib/libtessel.so" "$gxx/lib/liborvane.so" \
  "$libcxx/bin/cross_runtime_host" "$libcxx/lib/libcomrt.so" "$libcxx/lib/libtessel.so"; do
  [ -e "$file" ] || fail "$file is missing: build with scripts/test.sh and scripts/test.sh --libcxx first"
done

# needs FILE LIBRARY: FILE names LIBRARY among its NEEDED entries.
needs() {
  readelf -d "$1" | grep -q "(NEEDED).*\[$2\]"
}

# run NAME HOST LIBRARY_DIR TESSEL ORVANE HOST_RUNTIME LIBRARY_RUNTIME
run() {
  local name=$1 host=$2 libs=$3 tessel=$4 orvane=$5 host_runtime=$6 library_runtime=$7
  echo "== $name"
  needs "$host" "$host_runtime" || fail "$host does not link $host_runtime"
  for library in "$libs/libcomrt.so" "$tessel"; do
    needs "$library" "$library_runtime" || fail "$library does not link $library_runtime"
  done
  local resolved
  resolved=$(LD_LIBRARY_PATH="$libs" ldd "$host" | awk '$1 ~ /^libcomrt\.so/ { print $3 }')
  [ "$(realpath "$resolved")" = "$(realpath "$libs/libcomrt.so")" ] ||
    fail "$host would load libcomrt.so from '$resolved', not from $libs"
  local output status=0
  output=$(LD_LIBRARY_PATH="$libs" "$host" --comrt "$libs/libcomrt.so" --tessel "$tessel" --orvane "$orvane" 2>&1) ||
    status=$?
  echo "$output"
  [ $status -eq 0 ] || fail "$name: the host failed (exit status $status)"
  echo "$output" | grep -q "runtimes loaded:.*libc++.so.1" && echo "$output" | grep -q "runtimes loaded:.*libstdc++.so.6" ||
    fail "$name: the process did not hold both C++ runtimes"
}

run "clang/libc++ host, g++/libstdc++ libraries" "$libcxx/bin/cross_runtime_host" "$gxx/lib" \
  "$gxx/lib/libtessel.so" "$gxx/lib/liborvane.so" libc++.so.1 libstdc++.so.6
run "g++/libstdc++ host, clang/libc++ libcomrt.so and libtessel.so, g++/libstdc++ liborvane.so" \
  "$gxx/bin/cross_runtime_host" "$libcxx/lib" "$libcxx/lib/libtessel.so" "$gxx/lib/liborvane.so" \
  libstdc++.so.6 libc++.so.1
echo "cross_runtime: both directions passed"
