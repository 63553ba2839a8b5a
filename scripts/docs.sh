#!/usr/bin/env bash
# Builds the API reference of the host-facing headers (doxygen, docs/Doxyfile.in; the main
# page is docs/getting_started.md) and fails on any warning: a public class, member or
# function without documentation, a broken reference or a damaged comment. The HTML lands
# in BUILD_DIR/docs/html (index.html).
#
#   scripts/docs.sh [BUILD_DIR]      (default build/; configured first when it is not)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")
"$root/scripts/setup.sh"

# Configured again, so that the docs target exists when doxygen came after the first run.
cmake -S "$root" -B "$build" -G Ninja >/dev/null
targets=$(cmake --build "$build" --target help)
if ! grep -q '^docs:' <<<"$targets"; then
  echo "docs: the build in $build has no docs target (doxygen not found)" >&2
  exit 1
fi
cmake --build "$build" --target docs
echo "docs: $build/docs/html/index.html"
