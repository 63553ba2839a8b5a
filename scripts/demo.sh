#!/usr/bin/env bash
# Installs what is missing, builds the libraries and the demo only (no tests, benchmarks,
# tools or Designer plugin) and runs the demo: with a display it opens the demo's window;
# without one it renders the window into build/demo.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" --demo
werror=OFF
[ -n "${CI:-}" ] && werror=ON
cmake -S "$root" -B "$root/build" -G Ninja -DPG_WERROR=$werror -DPG_BUILD_TESTS=OFF -DPG_WITH_DESIGNER=OFF >/dev/null
cmake --build "$root/build" --target orvane-demo
demo="$root/build/bin/orvane-demo"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$demo"
fi
"$demo" --screenshot "$root/build/demo.png" >/dev/null
echo
echo "No display here: the demo's window was rendered into build/demo.png"
echo "($root/build/demo.png). Open it with any image viewer."
