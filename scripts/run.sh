#!/usr/bin/env bash
# Installs what is missing, builds the Linux program and runs it on $DISPLAY.
# Without a display it plays a short scripted demo on a private virtual
# display and saves screenshots of what a user would have seen.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset x11 >/dev/null
cmake --build --preset x11 -j "$(nproc 2>/dev/null || echo 2)" --target lumio-capslock lumio-demo-desktop

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec build/x11/lumio-capslock
fi

echo "No display here: playing a short demo on a private virtual display."
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash scripts/demo.sh
