#!/usr/bin/env bash
# Builds Lumio - Caps Lock and installs it for the current user, no root
# needed (apart from build packages that are missing, as run.sh installs).
# ~/.local/share stands for $XDG_DATA_HOME and ~/.config for
# $XDG_CONFIG_HOME when they are set:
#
#   ~/.local/share/lumio-capslock/lumio-capslock  the program; its list.txt goes beside it
#   ~/.local/bin/lumio-capslock                   a link to it
#   ~/.local/share/applications/lumio-capslock.desktop, and the icons, the
#   AppStream metainfo, the manual page and the licence under ~/.local/share
#   ~/.config/autostart/lumio-capslock.desktop    with --autostart
#
#   bash scripts/install.sh                        install (again: harmless)
#   bash scripts/install.sh --autostart            also start it at every login
#   bash scripts/install.sh --uninstall            remove it all but your list.txt
#   bash scripts/install.sh --uninstall --purge    remove list.txt too
#
# What it installs is listed with checksums in manifest.txt beside the
# program. It replaces nothing it did not put there, and uninstalling
# removes only what is still as it installed it.
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
# The base directories' own rule: a value that is not an absolute path is
# ignored.
data=$HOME/.local/share config=$HOME/.config
case ${XDG_DATA_HOME:-} in /*) data=$XDG_DATA_HOME ;; esac
case ${XDG_CONFIG_HOME:-} in /*) config=$XDG_CONFIG_HOME ;; esac
# A desktop entry and the manifest hold one line per key or file: a line
# break in a path would end it early.
case $HOME$data$config in
  *$'\n'* | *$'\r'*) die "HOME, XDG_DATA_HOME or XDG_CONFIG_HOME holds a line break; a desktop entry cannot name a program there" ;;
esac

program_dir=$data/lumio-capslock
program=$program_dir/lumio-capslock
list=$program_dir/list.txt
manifest=$program_dir/manifest.txt
link=$HOME/.local/bin/lumio-capslock
entry=$data/applications/lumio-capslock.desktop
autostart_entry=$config/autostart/lumio-capslock.desktop

stage="" put_folder=""
cleanup() {
  if [ -n "$stage" ]; then rm -rf "$stage"; fi
  if [ -n "$put_folder" ]; then rm -rf "$put_folder"; fi
}
trap cleanup EXIT
make_stage() { stage=$(mktemp -d "${TMPDIR:-/tmp}/lumio-install.XXXXXX"); }

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

# A file's content or a link's target as one word, as the manifest records
# it; nothing for anything else.
fingerprint() {
  if [ -L "$1" ]; then
    printf 'link:%s' "$(readlink -- "$1" | sha256sum | cut -d' ' -f1)"
  elif [ -f "$1" ]; then
    printf 'file:%s' "$(sha256sum <"$1" | cut -d' ' -f1)"
  fi
}

# Whether the path holds what this script put there.
ours() {
  local print
  print=$(fingerprint "$1")
  [ -n "$print" ] && [ -f "$manifest" ] && grep -qxF -- "$print $1" "$manifest"
}

# put FROM TO: a copy of FROM (a file or a link) takes the place of TO. It
# is made inside a new folder beside TO and renamed into place, so nothing
# is written through a link, and a running copy keeps its old file.
put() {
  put_folder=$(mktemp -d "$(dirname "$2")/.lumio-capslock.XXXXXX")
  cp -P --preserve=mode "$1" "$put_folder/new"
  mv -fT "$put_folder/new" "$2"
  rmdir "$put_folder"
  put_folder=""
}

write_manifest() {
  printf '%s\n' "$@" | awk 'length && !seen[$0]++' >"$stage/manifest"
  put "$stage/manifest" "$manifest"
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

uninstall() {
  local line path kept="" left=() folders=()
  check_program_dir
  if [ ! -f "$manifest" ]; then
    say "Removed nothing: there is no $manifest, so this script installed nothing here."
    return 0
  fi
  stop_running_copies
  while IFS= read -r line; do
    path=${line#* }
    case $line in folder\ *) continue ;; esac
    if ours "$path"; then
      rm -f -- "$path"
    elif [ -e "$path" ] || [ -L "$path" ]; then
      left+=("$path")
    fi
  done <"$manifest"
  if [ -f "$list" ] || [ -L "$list" ]; then
    if [ $purge -eq 1 ]; then rm -f -- "$list"; else kept=$list; fi
  fi
  # Reversed, a folder comes before the folder it is in.
  mapfile -t folders < <(sed -n 's/^folder //p' "$manifest" | sort -r)
  if [ -n "$kept" ]; then
    # The folders stay listed, for --purge to remove them with the list.
    make_stage
    write_manifest "${folders[@]/#/folder }"
  else
    rm -f -- "$manifest"
  fi
  for path in "${folders[@]}"; do rmdir -- "$path" 2>/dev/null || true; done

  say "Lumio - Caps Lock is uninstalled."
  if [ ${#left[@]} -gt 0 ]; then
    say "Left these, since they changed after it installed them:"
    printf '  %s\n' "${left[@]}" | sort -u
  fi
  if [ -n "$kept" ]; then
    say "Kept your key list: $kept"
    say "(bash scripts/install.sh --uninstall --purge removes it too.)"
  fi
  if [ -d "$program_dir" ] && [ -n "$(find "$program_dir" -mindepth 1 -maxdepth 1 ! -name list.txt ! -name manifest.txt -print -quit)" ]; then
    say "Kept the folder $program_dir: it holds files that are not ours."
  fi
}

install() {
  local build=${LUMIO_BUILD_DIR:-build/x11} component staged to folder line i
  local froms=() tos=() in_the_way=() missing=() lines=() old=() kept=()
  check_program_dir
  bash scripts/install-deps.sh
  if [ -z "${LUMIO_BUILD_DIR:-}" ] && [ ! -f build/x11/CMakeCache.txt ]; then
    cmake --preset x11 >/dev/null
  fi
  cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target lumio-capslock lumio-compressed-docs >/dev/null

  # CMake installs into a scratch folder first (it takes some characters of
  # a path, such as a backslash or a dollar sign, for its own) and lists
  # what it put there; each of those files then goes to its own place.
  make_stage
  for component in program desktop docs; do
    cmake --install "$build" --prefix "$stage/root" --component "$component" --strip >/dev/null
    while IFS= read -r staged || [ -n "$staged" ]; do
      case $staged in
        "$stage/root/bin/"*) to=$HOME/.local/bin/${staged#"$stage/root/bin/"} ;;
        "$stage/root/lib/lumio-capslock/"*) to=$program_dir/${staged#"$stage/root/lib/lumio-capslock/"} ;;
        "$stage/root/share/"*) to=$data/${staged#"$stage/root/share/"} ;;
        *) die "CMake installed $staged, for which this script has no place" ;;
      esac
      froms+=("$staged") tos+=("$to")
    done <"$build/install_manifest_$component.txt"
  done
  # The program is no longer beside bin/ as CMake has it, and ~/.local/bin
  # is often not on the PATH of a graphical session: both name it in full.
  ln -sfn "$program" "$stage/root/bin/lumio-capslock"
  while IFS= read -r line || [ -n "$line" ]; do
    case $line in
      Exec=*) printf 'Exec=%s\n' "$(exec_value "$program")" ;;
      *) printf '%s\n' "$line" ;;
    esac
  done <"$stage/root/share/applications/lumio-capslock.desktop" >"$stage/entry"
  mv "$stage/entry" "$stage/root/share/applications/lumio-capslock.desktop"
  if [ $autostart -eq 1 ] || ours "$autostart_entry"; then
    froms+=("$stage/root/share/applications/lumio-capslock.desktop") tos+=("$autostart_entry")
  fi

  # Nothing is written before it is clear that nothing is in the way. The
  # folders it makes, outermost first, are listed too, to be removed again
  # once empty.
  for to in "${tos[@]}"; do
    if { [ -e "$to" ] || [ -L "$to" ]; } && ! ours "$to"; then in_the_way+=("$to"); fi
    folder=$(dirname "$to") missing=()
    while [ ! -e "$folder" ] && [ ! -L "$folder" ]; do
      missing=("$folder" "${missing[@]}")
      folder=$(dirname "$folder")
    done
    [ -d "$folder" ] || in_the_way+=("$folder")
    for folder in "${missing[@]}"; do lines+=("folder $folder"); done
  done
  if [ ${#in_the_way[@]} -gt 0 ]; then
    printf 'install.sh: nothing installed: these are in the way, and this script did not put them there (or they changed since):\n' >&2
    printf '  %s\n' "${in_the_way[@]}" | sort -u >&2
    die "move them away (or remove them, if an earlier version of this script installed them) and try again"
  fi
  for line in "${lines[@]}"; do
    [ -d "${line#folder }" ] || mkdir -- "${line#folder }"
  done
  for i in "${!tos[@]}"; do lines+=("$(fingerprint "${froms[$i]}") ${tos[$i]}"); done

  # Until every file is in place, the old one and the new one both count as
  # ours; then the old lines stay only for folders and what is unchanged.
  if [ -f "$manifest" ]; then mapfile -t old <"$manifest"; fi
  write_manifest "${old[@]}" "${lines[@]}"
  for i in "${!tos[@]}"; do put "${froms[$i]}" "${tos[$i]}"; done
  for line in "${old[@]}"; do
    case $line in
      folder\ *) kept+=("$line") ;;
      *) [ "$(fingerprint "${line#* }")" != "${line%% *}" ] || kept+=("$line") ;;
    esac
  done
  write_manifest "${kept[@]}" "${lines[@]}"

  say "Installed Lumio - Caps Lock:"
  say "  $program (with its list.txt beside it)"
  say "  $link"
  say "  $entry"
  if ours "$autostart_entry"; then
    say "  $autostart_entry: it starts at every login"
  fi
  if [ -e "$list" ]; then
    say "Kept your key list: $list"
  fi
  if [ -n "$(running_copies)" ]; then
    say "A copy is running the old program; it runs the new one from its next start."
  fi
  case ":${PATH:-}:" in
    *":$HOME/.local/bin:"*) say "Start it with: lumio-capslock" ;;
    *) say "Start it from your applications menu, or with: $link" ;;
  esac
}

if [ $uninstall -eq 1 ]; then uninstall; else install; fi
