#!/usr/bin/env bash
# Configures and builds the project: scripts/build.sh [BUILD_DIR] [extra cmake arguments...]
# Warnings are errors when CI is set. Tests, benchmarks and the Designer plugin are built
# unless the arguments say -DPG_BUILD_TESTS=OFF / -DPG_WITH_DESIGNER=OFF.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-"$root/build"}
shift || true
werror=OFF
[ -n "${CI:-}" ] && werror=ON
cmake -S "$root" -B "$build_dir" -G Ninja -DPG_WERROR=$werror -DPG_BUILD_TESTS=ON -DPG_WITH_DESIGNER=ON "$@" >/dev/null
cmake --build "$build_dir"
