#!/usr/bin/env bash
# scripts/install.sh into a fresh HOME, the way a user runs it: the files
# land where they should, the program started through the link writes its
# list.txt into its own folder, a second install (with --autostart, while
# the program runs) keeps the user's list, --uninstall stops the program
# and leaves only that list, --purge leaves nothing. Needs $DISPLAY.
#   install_script_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
export LUMIO_BUILD_DIR=$2
. "$(dirname "$0")/packaging_test_support.sh"

make_scratch home
export HOME=$home
unset XDG_CONFIG_HOME XDG_DATA_HOME
# A session's private runtime folder, where the program keeps its own
# run-time files (nothing of it belongs in HOME).
make_scratch XDG_RUNTIME_DIR
export XDG_RUNTIME_DIR
prefix=$home/.local
program_dir=$prefix/lib/lumio-capslock
entry=$prefix/share/applications/lumio-capslock.desktop
autostart=$home/.config/autostart/lumio-capslock.desktop
ours() { (cd "$home" && find . \( -type f -o -type l \) | sort); }

step "install"
bash "$source_dir/scripts/install.sh" >"$home/install.log" || fail "install.sh failed: $(cat "$home/install.log")"
rm "$home/install.log"
expect_same "installed files" "$(ours)" "$(printf '%s\n' \
  ./.local/bin/lumio-capslock \
  ./.local/lib/lumio-capslock/lumio-capslock \
  ./.local/share/applications/lumio-capslock.desktop \
  ./.local/share/doc/lumio-capslock/README.md \
  ./.local/share/doc/lumio-capslock/changelog.gz \
  ./.local/share/doc/lumio-capslock/copyright \
  ./.local/share/icons/hicolor/16x16/apps/lumio-capslock.png \
  ./.local/share/icons/hicolor/32x32/apps/lumio-capslock.png \
  ./.local/share/icons/hicolor/48x48/apps/lumio-capslock.png \
  ./.local/share/man/man1/lumio-capslock.1.gz)"
[ "$(readlink -f "$prefix/bin/lumio-capslock")" = "$program_dir/lumio-capslock" ] || fail "the link does not lead to the program"
[ -x "$program_dir/lumio-capslock" ] || fail "the program is not executable"
cmp -s "$source_dir/LICENSE" "$prefix/share/doc/lumio-capslock/copyright" || fail "the licence differs"
desktop-file-validate "$entry" || fail "the desktop entry does not validate"
grep -qxF "Exec=\"$prefix/bin/lumio-capslock\"" "$entry" || fail "Exec does not name the link: $(grep ^Exec "$entry")"

step "the program, started through the link, writes list.txt into its own folder"
make_scratch elsewhere
start_program "$elsewhere" "$prefix/bin/lumio-capslock"
wait_for "list.txt of 422 bytes" 20 has_size "$program_dir/list.txt" 422
cmp -s "$program_dir/list.txt" "$LUMIO_BUILD_DIR/package/list.txt" || fail "list.txt differs from the default list"
[ ! -e "$elsewhere/list.txt" ] || fail "list.txt was written into the current folder"
printf '58\r\n' >"$program_dir/list.txt"  # the user's own choice from here on

step "install again, with --autostart, while it runs"
output=$(bash "$source_dir/scripts/install.sh" --autostart) || fail "second install failed: $output"
desktop-file-validate "$autostart" || fail "the autostart entry does not validate"
expect_same "autostart entry" "$(cat "$autostart")" "$(cat "$entry")"
[ "$(cat "$program_dir/list.txt")" = $'58\r' ] || fail "the second install changed the user's list.txt"
running "$program_pid" || fail "the second install ended the running program"

step "--uninstall stops the program and keeps only list.txt"
output=$(bash "$source_dir/scripts/install.sh" --uninstall) || fail "--uninstall failed: $output"
wait_for "the program to end" 5 not running "$program_pid"
expect_same "files left" "$(ours)" "./.local/lib/lumio-capslock/list.txt"
grep -q "Kept your key list: $program_dir/list.txt" <<<"$output" || fail "it did not say what it kept: $output"

step "--uninstall --purge leaves nothing"
bash "$source_dir/scripts/install.sh" --uninstall --purge >/dev/null || fail "--purge failed"
expect_same "files left" "$(ours)" ""
[ ! -e "$program_dir" ] || fail "$program_dir is still there"
pass
