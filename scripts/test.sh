#!/usr/bin/env bash
# Installs what is missing, builds both backends and runs every test: the
# core's unit tests natively and under Wine, and the real-display tests of
# both programs on one private Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"
cmake --preset x11 >/dev/null
cmake --build --preset x11 -j "$jobs"

export WINEPREFIX="$PWD/build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko prompts

exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash scripts/run-tests-on-display.sh
