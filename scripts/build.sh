#!/usr/bin/env bash
# Configures and builds the project: scripts/build.sh [BUILD_DIR] [extra cmake arguments...]
# Warnings are errors when CI is set. Tests and benchmarks are built unless the arguments
# say -DPG_BUILD_TESTS=OFF.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-"$root/build"}
shift || true
werror=OFF
[ -n "${CI:-}" ] && werror=ON
cmake -S "$root" -B "$build_dir" -G Ninja -DPG_WERROR=$werror -DPG_BUILD_TESTS=ON "$@" >/dev/null
cmake --build "$build_dir"
