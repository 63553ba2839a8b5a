#!/usr/bin/env bash
# Installs what is missing, builds the libraries, the tools and the demo (no tests or
# benchmarks) and runs the demo: with a display it opens the demo's window; without one it
# renders the window into build/demo.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" --demo
"$root/scripts/build.sh" "$root/build" -DPG_BUILD_TESTS=OFF
demo="$root/build/bin/orvane-demo"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$demo"
fi
"$demo" --screenshot "$root/build/demo.png" >/dev/null
echo
echo "No display here: the demo's window was rendered into build/demo.png"
echo "($root/build/demo.png). Open it with any image viewer."
