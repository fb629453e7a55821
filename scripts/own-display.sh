#!/usr/bin/env bash
# Runs one command on a private Xvfb of its own, so that tests which look at
# the whole screen can run side by side:
#
#   scripts/own-display.sh COMMAND [ARGUMENTS...]
#
# CTest starts the display tests through it. Listing a Google Test binary's
# tests needs no display, so that runs as it is.
set -uo pipefail
for arg in "$@"; do
  [ "$arg" = "--gtest_list_tests" ] && exec "$@"
done

# shellcheck source=scripts/private-xvfb.sh
. "$(dirname "$0")/private-xvfb.sh"
child=""
finish() {
  if [ -n "$child" ]; then kill "$child" 2>/dev/null; wait "$child" 2>/dev/null; fi
  stop_private_xvfb
}
trap finish EXIT
trap 'exit 143' TERM INT HUP

start_private_xvfb || exit 1
"$@" &
child=$!
wait "$child"
status=$?
child=""
exit $status
