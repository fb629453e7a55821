#!/usr/bin/env bash
# Runs both test suites on the display xvfb-run gave us (see test.sh).
set -uo pipefail
cd "$(dirname "$0")/.."

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Preparing the Wine prefix in $WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
wineserver -p 60 >/dev/null 2>&1  # keep one server for the whole run
# Start Wine's own background services now, away from ctest's pipes: if the
# first test started them they would hold its output open until it timed out.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

status=0
# Most display tests wait on timers (a seven-second introduction, 700 ms
# announcements) far more than they compute: two more than the processors.
jobs=$(( $(nproc 2>/dev/null || echo 2) + 2 ))
echo "== Windows build (under Wine)"
ctest --preset win32 || status=1
echo "== Linux build"
# Most display tests have an X server of their own, and mostly wait on
# timers: they run a few at a time.
ctest --preset x11 -j "$jobs" || status=1

echo "== Linux build with AddressSanitizer and UndefinedBehaviorSanitizer"
# The twenty-tap test is half a minute of waiting: the plain build runs it.
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp" \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/asan -E 'e2e|packaging|openbox_picom|TwentyTaps' -j "$jobs" --output-on-failure || status=1

wineserver -k >/dev/null 2>&1 || true
exit $status
