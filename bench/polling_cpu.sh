#!/usr/bin/env bash
# CPU cost of the program's 20 ms polling, side by side with the least such
# a poll can cost: a bare C loop that wakes every 20 ms and opens, reads and
# closes the same list.txt. Runs the real program on a private Xvfb, waits
# for the first poll (it writes list.txt), then measures all three processes
# over the same stretch of time, from /proc/PID/task/*/schedstat.
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

# Nanoseconds on a CPU, all threads of the process together.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%d", s }'; }
now_ns() { date +%s%N; }

t0=$(now_ns); p0=$(cpu_ns $program_pid); b0=$(cpu_ns $bare_pid); x0=$(cpu_ns $xvfb_pid)
sleep "$seconds"
t1=$(now_ns); p1=$(cpu_ns $program_pid); b1=$(cpu_ns $bare_pid); x1=$(cpu_ns $xvfb_pid)
kill -0 $program_pid 2>/dev/null || { echo "the program ended during the run" >&2; cat "$work/program.log" >&2; exit 1; }

awk -v wall=$((t1 - t0)) -v p=$((p1 - p0)) -v b=$((b1 - b0)) -v x=$((x1 - x0)) 'BEGIN {
  printf "Over %.1f s of polling, %% of one core:\n", wall / 1e9
  printf "  program            %6.3f %%  (%.1f ms CPU)\n", 100 * p / wall, p / 1e6
  printf "  bare 20 ms loop    %6.3f %%  (%.1f ms CPU)\n", 100 * b / wall, b / 1e6
  printf "  ratio              %6.2f    (target <= 1.5)\n", (b > 0 ? p / b : 0)
  printf "  X server           %6.3f %%  (%.1f ms CPU; target <= 0.05 %%)\n", 100 * x / wall, x / 1e6
}'
