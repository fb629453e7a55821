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
# A new Wine prefix takes a while to make and needs no display: it is made
# while the Linux builds run.
export WINEPREFIX="$PWD/build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko prompts
prefix_pid=""
# However this script ends, no Wine process of ours outlives it.
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== Preparing the Wine prefix in $WINEPREFIX, beside the builds"
  { env -u DISPLAY wineboot -i >/dev/null 2>&1; wineserver -w; } &
  prefix_pid=$!
fi
cmake --preset x11 >/dev/null
cmake --build --preset x11 -j "$jobs"

# The sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer) of the
# core tests and the X11 display tests; run on the display below. It also
# carries another banner web address: the address is a build setting, and
# the tests must hold whatever it is. Then the key list fuzzer for a bounded
# time (scripts/fuzz.sh runs it longer).
sanitizer_cxx=$(command -v clang++ || command -v g++)
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$sanitizer_cxx" \
  "-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined" \
  -DLUMIO_BUILD_BENCH=OFF -DLUMIO_WIN32_BUILD_DIR=/nonexistent \
  -DLUMIO_WEBSITE=https://lumio.invalid/other >/dev/null
cmake --build build/asan -j "$jobs" --target core_tests x11_rules_tests x11_display_tests x11_own_server_tests
# The fuzzer runs beside the display tests, which mostly wait on timers.
mkdir -p build/fuzz
rm -f build/fuzz/last-run.status
fuzz_pid=""
if command -v clang++ >/dev/null; then
  echo "== Key list fuzzer (${LUMIO_FUZZ_SECONDS:-60} s), beside the tests below"
  { bash scripts/fuzz.sh "${LUMIO_FUZZ_SECONDS:-60}" >build/fuzz/last-run.log 2>&1; echo $? >build/fuzz/last-run.status; } &
  fuzz_pid=$!
else
  echo "== Key list fuzzer skipped: no clang++"
fi

[ -z "$prefix_pid" ] || wait "$prefix_pid" || true

status=0
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash scripts/run-tests-on-display.sh || status=1
if [ -n "$fuzz_pid" ]; then
  wait "$fuzz_pid"
  echo "== Key list fuzzer"
  tail -n 6 build/fuzz/last-run.log
  if [ "$(cat build/fuzz/last-run.status 2>/dev/null)" != 0 ]; then
    echo "The key list fuzzer FAILED: see build/fuzz/last-run.log"
    status=1
  fi
fi
if [ $status -eq 0 ]; then echo "All test suites passed."; else echo "Some tests FAILED."; fi
exit $status
