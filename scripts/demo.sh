#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the demo.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build"
echo
echo "Built the platform layer into build/. The demo program comes with the control's"
echo "Qt widgets and is not part of the build yet."
