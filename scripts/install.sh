#!/usr/bin/env bash
# Builds Lumio - Caps Lock and installs it for the current user, no root
# needed (apart from build packages that are missing, as run.sh installs):
#
#   ~/.local/lib/lumio-capslock/lumio-capslock   the program; its list.txt goes beside it
#   ~/.local/bin/lumio-capslock                  a link to it
#   ~/.local/share/applications/lumio-capslock.desktop, and the icons in
#   ~/.local/share/icons/hicolor/, the manual page and the licence
#
#   bash scripts/install.sh                        install (again: harmless)
#   bash scripts/install.sh --autostart            also start it at every login
#   bash scripts/install.sh --uninstall            remove it all but your list.txt
#   bash scripts/install.sh --uninstall --purge    remove list.txt too
#
# LUMIO_BUILD_DIR names an already configured build to install from instead
# of build/x11.
set -euo pipefail
cd "$(dirname "$0")/.."

say() { printf '%s\n' "$*"; }
die() { printf 'install.sh: %s\n' "$*" >&2; exit 1; }

usage() { sed -n '2,/^[^#]/{/^#/s/^# \{0,1\}//p}' "$0"; }

autostart=0 uninstall=0 purge=0
for arg in "$@"; do
  case $arg in
    --autostart) autostart=1 ;;
    --uninstall) uninstall=1 ;;
    --purge) uninstall=1 purge=1 ;;
    -h | --help) usage; exit 0 ;;
    *) usage >&2; die "unknown option: $arg" ;;
  esac
done
[ $autostart -eq 1 ] && [ $uninstall -eq 1 ] && die "--autostart and --uninstall do not go together"

case ${HOME:-} in
  /*) ;;
  *) die "HOME is not set to an absolute path" ;;
esac
# A desktop entry holds one line per key: a line break in the path would
# end the Exec line early.
case $HOME in
  *$'\n'* | *$'\r'*) die "HOME holds a line break; a desktop entry cannot name a program there" ;;
esac

prefix=$HOME/.local
program_dir=$prefix/lib/lumio-capslock
program=$program_dir/lumio-capslock
list=$program_dir/list.txt
link=$prefix/bin/lumio-capslock
entry=$prefix/share/applications/lumio-capslock.desktop
autostart_entry=$HOME/.config/autostart/lumio-capslock.desktop
docs=$prefix/share/doc/lumio-capslock
ours=(
  "$program" "$link" "$entry" "$autostart_entry"
  "$prefix/share/icons/hicolor/16x16/apps/lumio-capslock.png"
  "$prefix/share/icons/hicolor/32x32/apps/lumio-capslock.png"
  "$prefix/share/icons/hicolor/48x48/apps/lumio-capslock.png"
  "$prefix/share/man/man1/lumio-capslock.1.gz"
  "$docs/copyright" "$docs/changelog.gz" "$docs/README.md"
)

# Processes of ours running the installed program, found by the file they
# run (a replaced or removed one shows as " (deleted)").
running_copies() {
  local pattern
  pattern=$(printf '%s' "$program" | sed 's/[][*?\\]/\\&/g')
  # (find fails on processes that end during the walk: that is no error here.)
  { find /proc -mindepth 2 -maxdepth 2 -name exe \( -lname "$pattern" -o -lname "$pattern (deleted)" \) 2>/dev/null ||
    true; } | sed 's|^/proc/\([0-9]*\)/exe$|\1|'
}

# Ends them as closing the window would: the program gives the desktop
# icons back and erases its text on SIGTERM.
stop_running_copies() {
  local pids pid
  pids=$(running_copies | paste -sd ' ')
  [ -n "$pids" ] || return 0
  for pid in $pids; do kill -TERM "$pid" 2>/dev/null || true; done
  for _ in $(seq 50); do
    [ -n "$(running_copies)" ] || break
    sleep 0.1
  done
  [ -z "$(running_copies)" ] || die "the running Lumio - Caps Lock (process $pids) did not end; close it and try again"
  say "Stopped the running Lumio - Caps Lock (process $pids)."
}

# The program writes list.txt into its folder, so that folder must be a
# real one of this user's, never a link to somewhere else.
check_program_dir() {
  if [ -L "$program_dir" ] || { [ -e "$program_dir" ] && [ ! -d "$program_dir" ]; }; then
    die "$program_dir is not a plain folder; move it away first"
  fi
  if [ -d "$program_dir" ] && [ ! -O "$program_dir" ]; then
    die "$program_dir belongs to another user; it must be yours, since the program writes its list.txt there"
  fi
}

# The Exec value of a desktop entry: the path in double quotes with
# " ` $ \ escaped, then every backslash escaped again (the entry's own
# string rule) and % doubled (field codes).
exec_value() {
  local q=$1
  q=${q//\\/\\\\}
  q=${q//\"/\\\"}
  q=${q//\`/\\\`}
  q=${q//\$/\\\$}
  q="\"$q\""
  q=${q//\\/\\\\}
  q=${q//%/%%}
  printf '%s' "$q"
}

# Copies a desktop entry with its Exec line pointing at our link: ~/.local/bin
# is often not on the PATH of a graphical session.
write_entry() {
  local from=$1 to=$2 line value
  value=$(exec_value "$link")
  mkdir -p "$(dirname "$to")"
  while IFS= read -r line || [ -n "$line" ]; do
    case $line in
      Exec=*) printf 'Exec=%s\n' "$value" ;;
      *) printf '%s\n' "$line" ;;
    esac
  done <"$from" >"$to.new"
  mv -f "$to.new" "$to"
}

uninstall() {
  local file kept=""
  check_program_dir
  stop_running_copies
  for file in "${ours[@]}"; do
    if [ -e "$file" ] || [ -L "$file" ]; then rm -f "$file"; fi
  done
  rmdir "$docs" 2>/dev/null || true
  if [ -e "$list" ]; then
    if [ $purge -eq 1 ]; then
      rm -f "$list"
    else
      kept=$list
    fi
  fi
  rmdir "$program_dir" 2>/dev/null || true
  say "Lumio - Caps Lock is uninstalled."
  if [ -n "$kept" ]; then
    say "Kept your key list: $kept"
    say "(bash scripts/install.sh --uninstall --purge removes it too.)"
  fi
  if [ -d "$program_dir" ] && [ -n "$(find "$program_dir" -mindepth 1 -maxdepth 1 ! -name list.txt -print -quit)" ]; then
    say "Kept the folder $program_dir: it holds files that are not ours."
  fi
}

install() {
  local build=${LUMIO_BUILD_DIR:-build/x11} component
  check_program_dir
  bash scripts/install-deps.sh
  if [ -z "${LUMIO_BUILD_DIR:-}" ] && [ ! -f build/x11/CMakeCache.txt ]; then
    cmake --preset x11 >/dev/null
  fi
  cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target lumio-capslock lumio-compressed-docs >/dev/null

  # Installed into a scratch folder first: CMake takes some characters of
  # a path (a backslash, a dollar sign) for its own. Then copied file by
  # file, each replaced rather than written into, so that a running copy
  # keeps its old file and a link in our place is not followed (linked
  # folders on the way, such as a linked ~/.local/share, are).
  stage=$(mktemp -d "${TMPDIR:-/tmp}/lumio-install.XXXXXX")
  trap 'rm -rf "$stage"' EXIT
  for component in program desktop docs; do
    cmake --install "$build" --prefix "$stage" --component "$component" --strip >/dev/null
  done
  (cd "$stage" && find . \( -type f -o -type l \) -print0) | while IFS= read -r -d '' file; do
    mkdir -p "$(dirname "$prefix/$file")"
    cp -P --remove-destination "$stage/$file" "$prefix/$file"
  done
  write_entry "$entry" "$entry"
  if [ $autostart -eq 1 ] || [ -e "$autostart_entry" ]; then
    write_entry "$entry" "$autostart_entry"
  fi

  say "Installed Lumio - Caps Lock under $prefix:"
  say "  $program (with its list.txt beside it)"
  say "  $link"
  say "  $entry"
  if [ -e "$autostart_entry" ]; then
    say "  $autostart_entry: it starts at every login"
  fi
  if [ -e "$list" ]; then
    say "Kept your key list: $list"
  fi
  if [ -n "$(running_copies)" ]; then
    say "A copy is running the old program; it runs the new one from its next start."
  fi
  case ":${PATH:-}:" in
    *":$prefix/bin:"*) say "Start it with: lumio-capslock" ;;
    *) say "Start it from your applications menu, or with: $link" ;;
  esac
}

if [ $uninstall -eq 1 ]; then uninstall; else install; fi
