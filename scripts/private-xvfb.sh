# shellcheck shell=bash
# Sourced by the scripts that give a test a display of its own: starts an
# Xvfb that picks a free display number itself (other runs may be starting
# servers at the same moment) and exports DISPLAY for it.
#
#   start_private_xvfb    sets DISPLAY, xvfb_pid and xvfb_scratch, or fails
#   stop_private_xvfb     ends that server and removes its scratch folder

xvfb_pid="" xvfb_scratch=""

start_private_xvfb() {
  command -v Xvfb >/dev/null || { echo "Xvfb is missing: run scripts/install-deps.sh" >&2; return 1; }
  xvfb_scratch=$(mktemp -d "${TMPDIR:-/tmp}/lumio-xvfb.XXXXXX")
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp "$@" 3>"$xvfb_scratch/display" \
    >"$xvfb_scratch/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 200); do
    [ -s "$xvfb_scratch/display" ] && break
    sleep 0.05
  done
  if [ ! -s "$xvfb_scratch/display" ]; then
    echo "Xvfb did not start:" >&2
    cat "$xvfb_scratch/xvfb.log" >&2
    stop_private_xvfb
    return 1
  fi
  DISPLAY=:$(head -n1 "$xvfb_scratch/display")
  export DISPLAY
}

stop_private_xvfb() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
  fi
  if [ -n "$xvfb_scratch" ] && [ -d "$xvfb_scratch" ]; then rm -rf "$xvfb_scratch"; fi
  xvfb_scratch=""
}
