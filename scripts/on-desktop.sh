#!/usr/bin/env bash
# Runs the tests of one Google Test binary on a desktop like the ones people
# use: a private Xvfb with a window manager (openbox) and a compositing
# manager (picom, with no configuration of the user's). Each test runs in a
# process of its own, as the display tests do under CTest.
#
#   scripts/on-desktop.sh path/to/test-binary [--gtest_filter=...]
#
# The tests see LUMIO_DESKTOP=openbox+picom and check that both are there.
set -uo pipefail
binary=$1
shift

for tool in Xvfb openbox picom xprop xterm; do
  command -v $tool >/dev/null || { echo "on-desktop.sh: $tool is missing: run scripts/install-deps.sh"; exit 1; }
done

export LUMIO_DESKTOP=openbox+picom
# shellcheck source=scripts/private-xvfb.sh
. "$(dirname "$0")/private-xvfb.sh"
start_private_xvfb || exit 1
scratch=$(mktemp -d)

openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# picom has been seen to give up on a server that has only just started:
# give it a few tries.
for _ in 1 2 3; do
  picom --backend xrender --config /dev/null >"$scratch/picom.log" 2>&1 &
  compositor=$!
  sleep 0.3
  kill -0 $compositor 2>/dev/null && break
done
trap 'kill $wm $compositor 2>/dev/null; wait $wm $compositor 2>/dev/null; stop_private_xvfb; rm -rf "$scratch"' EXIT

# openbox is ready once it names its check window on the root; the tests
# wait for picom's selection themselves.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.05
done

tests=$("$binary" --gtest_list_tests "$@" | awk '
  /^[^ ]/ { suite = $1; next }
  /^  /   { print suite $1 }')
[ -n "$tests" ] || { echo "on-desktop.sh: no tests to run in $binary $*"; exit 1; }

status=0
for test in $tests; do
  "$binary" --gtest_filter="$test" || status=1
done
if ! kill -0 $compositor 2>/dev/null; then
  echo "on-desktop.sh: picom is not running; it said:"
  cat "$scratch/picom.log"
fi
exit $status
