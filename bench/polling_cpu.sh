#!/usr/bin/env bash
# What the program costs while nobody types, side by side with what a 20 ms
# poll costs at the least: a bare C loop that wakes every 20 ms and opens,
# reads and closes the same list.txt. Runs the real program on a private
# Xvfb, waits for the first poll (it writes list.txt), then measures all
# three processes over the same stretch of time: CPU from
# /proc/PID/task/*/schedstat, wake-ups from the voluntary context switches
# in /proc/PID/task/*/status (every thread of the process together).
# With the x11 build's e2e_measure at hand it then times, on the same
# display, the announcement after a Caps Lock release and the rewriting of
# a deleted list.txt, each from rest. As root, with its e2e_wayland_measure,
# it last measures the same idle stretch in Wayland sessions of its own:
# sway, where the keyboard lights are read every 20 ms, and KWin, whose
# lock state needs no looking at; each beside a bare loop that preads one
# light every 20 ms.
# Usage: bench/polling_cpu.sh [SECONDS (30)] [PROGRAM (build/x11/lumio-capslock)]
# Prints figures; it passes or fails nothing.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
program=${2:-build/x11/lumio-capslock}
[ -x "$program" ] || { echo "no program at $program: build the x11 preset first" >&2; exit 1; }

work=$(mktemp -d /tmp/lumio-bench-XXXXXX)
xvfb_pid='' program_pid='' bare_pid=''
cleanup() {
  for pid in $bare_pid $program_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cc -O2 -o "$work/bare_poll" bench/bare_poll.c
mkdir "$work/app"
cp "$program" "$work/app/lumio-capslock"  # list.txt goes next to the program

# A display of our own: nobody else's requests in the server's figure.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(tr -d '\n' <"$work/display")"

"$work/app/lumio-capslock" >"$work/program.log" 2>&1 &
program_pid=$!
# The introduction takes 7 s; the first poll finds no list and writes it.
for _ in $(seq 200); do [ -s "$work/app/list.txt" ] && break; sleep 0.1; done
[ -s "$work/app/list.txt" ] || { echo "the program never polled" >&2; cat "$work/program.log" >&2; exit 1; }
sleep 1  # past the start-up work

"$work/bare_poll" "$work/app/list.txt" $((seconds + 3)) &
bare_pid=$!
sleep 1

# Nanoseconds on a CPU, and times put to sleep waiting for something, all
# threads of the process together.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%d", s }'; }
wakeups() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ { s += $2 } END { printf "%d", s }'; }
now_ns() { date +%s%N; }

t0=$(now_ns); p0=$(cpu_ns $program_pid); b0=$(cpu_ns $bare_pid); x0=$(cpu_ns $xvfb_pid)
pw0=$(wakeups $program_pid); bw0=$(wakeups $bare_pid)
sleep "$seconds"
t1=$(now_ns); p1=$(cpu_ns $program_pid); b1=$(cpu_ns $bare_pid); x1=$(cpu_ns $xvfb_pid)
pw1=$(wakeups $program_pid); bw1=$(wakeups $bare_pid)
kill -0 $program_pid 2>/dev/null || { echo "the program ended during the run" >&2; cat "$work/program.log" >&2; exit 1; }

awk -v wall=$((t1 - t0)) -v p=$((p1 - p0)) -v b=$((b1 - b0)) -v x=$((x1 - x0)) \
    -v pw=$((pw1 - pw0)) -v bw=$((bw1 - bw0)) -v load="$(cut -d' ' -f1-3 /proc/loadavg)" 'BEGIN {
  s = wall / 1e9
  printf "Over %.1f s idle (load average %s):\n", s, load
  printf "  program            %6.3f %% of a core  (%.1f ms CPU; target <= 0.02 %%)\n", 100 * p / wall, p / 1e6
  printf "                     %6.1f wake-ups/s   (target <= 1)\n", pw / s
  printf "  bare 20 ms loop    %6.3f %% of a core  (%.1f ms CPU)\n", 100 * b / wall, b / 1e6
  printf "                     %6.1f wake-ups/s\n", bw / s
  printf "  ratio              %6.2f\n", (b > 0 ? p / b : 0)
  printf "  X server           %6.3f %% of a core  (%.1f ms CPU; target <= 0.05 %%)\n", 100 * x / wall, x / 1e6
}'

# The timings, from rest, with the program the tool starts itself.
measure=${LUMIO_MEASURE:-build/x11/bench/e2e_measure}
if [ -x "$measure" ]; then
  kill "$program_pid" 2>/dev/null || true
  wait "$program_pid" 2>/dev/null || true
  program_pid=''
  "$measure" "$program" 10 0 | grep -E 'release to text|rewritten' || true
fi

wayland_measure=${LUMIO_WAYLAND_MEASURE:-build/x11/bench/e2e_wayland_measure}
if [ "$(id -u)" -eq 0 ] && [ -x "$wayland_measure" ]; then
  for session in sway kwin; do "$wayland_measure" "$session" "$seconds" "$program" || true; done
else
  echo "Wayland sessions: not measured (they need root and the x11 build's e2e_wayland_measure)"
fi
