#!/usr/bin/env bash
# scripts/install.sh in a scratch HOME that already holds some things of
# the user's own: a command of the program's name in ~/.local/bin, an
# autostart entry and a manual page of that name, and a link leading out of
# HOME where the script once put its temporary file. Each row below is a
# step a user takes: what they do first, the environment and options, the
# exit status and a line the output must hold, what HOME then holds besides
# what it held before (nothing: exactly what it held before, folders
# included), and a last check. After every step the user's things are as
# they were and the file outside HOME is untouched. Needs $DISPLAY.
#   install_script_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
export LUMIO_BUILD_DIR=$2
. "$(dirname "$0")/packaging_test_support.sh"

make_scratch home
make_scratch outside
export HOME=$home
unset XDG_CONFIG_HOME XDG_DATA_HOME
# A session's private runtime folder, where the program keeps its own
# run-time files (nothing of it belongs in HOME).
make_scratch XDG_RUNTIME_DIR
export XDG_RUNTIME_DIR
program_dir=$home/.local/share/lumio-capslock
icon=icons/hicolor/16x16/apps/lumio-capslock.png
config="XDG_CONFIG_HOME=$home/cfg"
config_and_data="$config XDG_DATA_HOME=$home/data"

snapshot() { (cd "$home" && { find . -mindepth 1 -printf '%y %p %l\n'; find . -type f -exec sha256sum {} +; } | sort); }
files() { (cd "$home" && find . \( -type f -o -type l \) | sort); }
take_snapshot() { before=$(snapshot) before_files=$(files); }

# ours DATA: the files the script installs, DATA standing for the data folder.
ours() {
  local f
  printf '%s ' ./.local/bin/lumio-capslock
  for f in applications/lumio-capslock.desktop doc/lumio-capslock/{README.md,changelog.gz,copyright} \
    icons/hicolor/{16x16,32x32,48x48}/apps/lumio-capslock.png lumio-capslock/{lumio-capslock,manifest.txt} \
    man/man1/lumio-capslock.1.gz metainfo/com.example.lumio.capslock.metainfo.xml; do
    printf '%s ' "./$1/$f"
  done
}

# What the user does before a step.
plant_users_things() {
  printf 'outside HOME\n' >"$outside/victim"
  mkdir -p "$home/.local/bin" "$home/.local/share/man/man1" "$home/.config/autostart" "$home/cfg/autostart"
  ln -s /bin/true "$home/.local/bin/lumio-capslock"
  printf '[Desktop Entry]\nType=Application\nName=Mine\nExec=true\n' >"$home/.config/autostart/lumio-capslock.desktop"
  printf 'mine\n' | gzip -n >"$home/.local/share/man/man1/lumio-capslock.1.gz"
  ln -s "$outside/victim" "$home/cfg/autostart/lumio-capslock.desktop.new"
  take_snapshot
}
clear_the_way() {
  rm "$home/.local/bin/lumio-capslock" "$home/.local/share/man/man1/lumio-capslock.1.gz"
  take_snapshot
}
run_and_choose_list() {
  make_scratch elsewhere
  start_program "$elsewhere" "$home/.local/bin/lumio-capslock"
  wait_for "list.txt of 422 bytes" 20 has_size "$program_dir/list.txt" 422
  cmp -s "$program_dir/list.txt" "$LUMIO_BUILD_DIR/package/list.txt" || fail "list.txt differs from the default list"
  [ ! -e "$elsewhere/list.txt" ] || fail "list.txt was written into the current folder"
  printf '58\r\n' >"$program_dir/list.txt"  # the user's own choice from here on
}
change_an_icon() { printf 'mine\n' >"$home/.local/share/$icon"; }
drop_the_icon() { rm "$home/.local/share/$icon"; }

# The last checks.
installed() {
  local program=$home/$1/lumio-capslock/lumio-capslock entry=$home/$1/applications/lumio-capslock.desktop
  [ "$(readlink -f "$home/.local/bin/lumio-capslock")" = "$program" ] || fail "the link does not lead to the program"
  [ -x "$program" ] || fail "the program is not executable"
  cmp -s "$source_dir/LICENSE" "$home/$1/doc/lumio-capslock/copyright" || fail "the licence differs"
  desktop-file-validate "$entry" || fail "the desktop entry does not validate"
  grep -qxF "Exec=\"$program\"" "$entry" || fail "Exec does not name the program: $(grep ^Exec "$entry")"
}
autostarts_and_keeps_list() {
  expect_same "autostart entry" "$(cat "$home/cfg/autostart/lumio-capslock.desktop")" \
    "$(cat "$home/.local/share/applications/lumio-capslock.desktop")"
  [ "$(cat "$program_dir/list.txt")" = $'58\r' ] || fail "the second install changed the user's list.txt"
  running "$program_pid" || fail "the second install ended the running program"
}
program_ended() { ! running "$program_pid" || fail "--uninstall left the program running"; }

row() {
  local first=$1 environment=$2 options=$3 status=$4 output_holds=$5 also=$6 then=$7 output code=0 changed
  step "${first:+$first, then }install.sh${options:+ $options}${environment:+ with $environment}"
  [ -z "$first" ] || $first
  # shellcheck disable=SC2086 # (lists of words)
  output=$(env $environment bash "$source_dir/scripts/install.sh" $options 2>&1) || code=$?
  [ "$code" = "$status" ] || fail "exit status $code, not $status: $output"
  [ "$(cat "$outside/victim")" = "outside HOME" ] || fail "a file outside HOME was written"
  changed=$(comm -23 <(printf '%s\n' "$before") <(snapshot))
  [ -z "$changed" ] || fail "the user's things changed or went: $changed"
  grep -qF -- "$output_holds" <<<"$output" || fail "the output lacks \"$output_holds\": $output"
  if [ -z "$also" ]; then
    expect_same "HOME" "$(snapshot)" "$before"
  else
    # shellcheck disable=SC2086
    expect_same "files in HOME" "$(files)" "$(printf '%s\n' $before_files $also | sort)"
  fi
  [ -z "$then" ] || $then
}

#   the user first     environment       options             exit output holds                  HOME also holds; then
row plant_users_things ""                --uninstall          0 "Removed nothing"               "" ""
row ""                 ""                ""                   1 "$home/.local/bin/lumio-capslock" "" ""
row clear_the_way      ""                ""                   0 "Installed"                     "$(ours .local/share)" "installed .local/share"
row run_and_choose_list "$config"        --autostart          0 "$home/cfg/autostart/lumio-capslock.desktop: it starts" \
  "$(ours .local/share) ./cfg/autostart/lumio-capslock.desktop ./.local/share/lumio-capslock/list.txt" autostarts_and_keeps_list
row change_an_icon     "$config"         --uninstall          0 "  $home/.local/share/$icon" \
  "./.local/share/$icon ./.local/share/lumio-capslock/list.txt ./.local/share/lumio-capslock/manifest.txt" program_ended
row drop_the_icon      "$config"         "--uninstall --purge" 0 "uninstalled"                  "" ""
row ""                 "$config_and_data" --autostart         0 "Installed" \
  "$(ours data) ./cfg/autostart/lumio-capslock.desktop" "installed data"
row ""                 "$config_and_data" "--uninstall --purge" 0 "uninstalled"                 "" ""
pass
