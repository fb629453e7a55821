# shellcheck shell=bash
# What the packaging tests share (sourced): reporting, scratch folders and
# programs that are cleaned up however the test ends, waiting, and looking
# at the X screen for our windows.

readonly kTitle="Lumio - Caps Lock"
scratch_folders=()
program_pid=""
program_log=""
cleanups=()

step() { printf '== [%3d s] %s\n' "$SECONDS" "$*"; }
# What the program said, if one was started, goes with the failure.
fail() {
  printf 'FAILED: %s\n' "$*" >&2
  if [ -n "$program_log" ] && [ -s "$program_log" ]; then
    printf 'The program said:\n' >&2
    tail -n 20 "$program_log" >&2
  fi
  exit 1
}
pass() { printf 'passed in %d s\n' "$SECONDS"; }

cleanup() {
  local action folder
  if [ -n "$program_pid" ]; then stop_program; fi
  for action in "${cleanups[@]}"; do eval "$action" || true; done
  for folder in "${scratch_folders[@]}"; do rm -rf "$folder"; done
}
trap cleanup EXIT

# make_scratch VARIABLE: a new folder, removed at the end, named in VARIABLE.
make_scratch() {
  local folder
  folder=$(mktemp -d "${TMPDIR:-/tmp}/lumio-packaging.XXXXXX")
  scratch_folders+=("$folder")
  printf -v "$1" '%s' "$folder"
}

# expect_same WHAT ACTUAL EXPECTED
expect_same() {
  [ "$2" = "$3" ] || fail "$1 differ:
$(diff <(printf '%s\n' "$3") <(printf '%s\n' "$2") | sed 's/^/  /')
(< expected, > found)"
}

# wait_for_quietly SECONDS COMMAND...: polls every 0.1 s; false when the
# time is up.
wait_for_quietly() {
  local tenths=$(($1 * 10))
  shift
  while ! "$@" 2>/dev/null; do
    tenths=$((tenths - 1))
    [ $tenths -gt 0 ] || return 1
    sleep 0.1
  done
}
# wait_for WHAT SECONDS COMMAND...: the same, failing the test.
wait_for() {
  local what=$1 seconds=$2
  shift 2
  wait_for_quietly "$seconds" "$@" || fail "waited in vain for $what"
}

running() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) && [ "${state:0:1}" != Z ]
}

# start_program FOLDER COMMAND...: runs in FOLDER, in the background; its
# output goes to FOLDER/program.log.
start_program() {
  local folder=$1
  shift
  program_log=$folder/program.log
  (cd "$folder" && exec "$@") >"$program_log" 2>&1 &
  program_pid=$!
}

# Ends every process of ours running exactly this executable (a program
# started through runuser is not our child).
stop_processes_running() {
  local exe pid
  for exe in /proc/[0-9]*/exe; do
    [ "$(readlink "$exe" 2>/dev/null)" = "$1" ] || continue
    pid=${exe#/proc/}
    kill -KILL "${pid%/exe}" 2>/dev/null || true
  done
}

stop_program() {
  local pid=$program_pid
  program_pid=""
  kill -TERM "$pid" 2>/dev/null || return 0
  for _ in $(seq 30); do running "$pid" || break; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# Viewable windows titled like ours: the main window, plus one for each
# message box (they carry the same caption).
count_our_windows() {
  { xdotool search --onlyvisible --name "^$kTitle\$" 2>/dev/null || true; } | wc -l
}

not() { ! "$@"; }
has_size() { [ "$(stat -c %s "$1" 2>/dev/null)" = "$2" ]; }
windows_are() { [ "$(count_our_windows)" -eq "$1" ]; }
