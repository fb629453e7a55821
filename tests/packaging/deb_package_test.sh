#!/usr/bin/env bash
# The Debian package, made afresh with CPack: its file list, AppStream data,
# list.txt byte-identical to what the program writes, no lintian error, and the
# program unpacked into a folder owned by root, run by a user who cannot
# write there: it starts and polls with no failure box. Needs root (for the
# user and the folder) and $DISPLAY; without root it is skipped.
#   deb_package_test.sh BUILD_DIR
set -euo pipefail
build_dir=$1
. "$(dirname "$0")/packaging_test_support.sh"
[ "$(id -u)" -eq 0 ] || { echo "skipped: needs root to add a user and own the folder"; exit 77; }

make_scratch work
chmod 755 "$work"
step "cpack -G DEB"
cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  fail "cpack failed: $(cat "$work/cpack.log")"
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
deb=${debs[0]}
dpkg-deb -f "$deb" Depends | grep -q libfltk || fail "no computed dependencies: $(dpkg-deb -f "$deb" Depends)"

step "lintian"
lintian_output=$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)
printf '%s\n' "$lintian_output" | sed 's/^/  /'
! grep -q '^E:' <<<"$lintian_output" || fail "lintian reports errors"

step "file list"
root=$work/root
dpkg-deb -x "$deb" "$root"
chown -R root:root "$root"
chmod 755 "$root"
expect_same "packaged files" "$(cd "$root" && find . \( -type f -o -type l \) | sort)" "$(printf '%s\n' \
  ./usr/bin/lumio-capslock \
  ./usr/lib/lumio-capslock/list.txt \
  ./usr/lib/lumio-capslock/lumio-capslock \
  ./usr/share/applications/lumio-capslock.desktop \
  ./usr/share/doc/lumio-capslock/README.md \
  ./usr/share/doc/lumio-capslock/changelog.gz \
  ./usr/share/doc/lumio-capslock/copyright \
  ./usr/share/icons/hicolor/16x16/apps/lumio-capslock.png \
  ./usr/share/icons/hicolor/32x32/apps/lumio-capslock.png \
  ./usr/share/icons/hicolor/48x48/apps/lumio-capslock.png \
  ./usr/share/man/man1/lumio-capslock.1.gz \
  ./usr/share/metainfo/com.example.lumio.capslock.metainfo.xml)"
[ "$(readlink "$root/usr/bin/lumio-capslock")" = ../lib/lumio-capslock/lumio-capslock ] ||
  fail "the link in bin/ is not relative: $(readlink "$root/usr/bin/lumio-capslock")"
# KWin offers its lock state only to a program an entry names in full.
entry=$root/usr/share/applications/lumio-capslock.desktop
desktop-file-validate "$entry" || fail "the desktop entry does not validate"
grep -qx 'Exec=/usr/bin/lumio-capslock' "$entry" &&
  grep -qx 'X-KDE-Wayland-Interfaces=org_kde_kwin_keystate' "$entry" ||
  fail "the desktop entry does not name the program in full for KWin: $(cat "$entry")"

step "AppStream metainfo"
appstreamcli validate-tree --no-net "$root" || fail "the metainfo and desktop entry do not validate together"
grep -qF "<release version=\"$(dpkg-deb -f "$deb" Version)\"" "$root"/usr/share/metainfo/*.xml ||
  fail "the metainfo lists no release of this version"

step "list.txt is what the program itself writes"
make_scratch writable
cp "$root/usr/lib/lumio-capslock/lumio-capslock" "$writable/"
start_program "$writable" "$writable/lumio-capslock"
wait_for "the program to write list.txt" 20 has_size "$writable/list.txt" 422
stop_program
cmp "$writable/list.txt" "$root/usr/lib/lumio-capslock/list.txt" || fail "the packaged list.txt differs"

step "run by a user who cannot write the program's folder"
user=lumio-deb-test
id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --home-dir /nonexistent --shell /bin/sh "$user"
cleanups+=("stop_processes_running '$root/usr/lib/lumio-capslock/lumio-capslock'" "userdel $user")
# The user's own copy of this display's cookie (xvfb-run keeps ours private).
xauth_file=$work/Xauthority
touch "$xauth_file"
if [ -n "${XAUTHORITY:-}" ]; then
  xauth nlist "$DISPLAY" | sed 's/^..../ffff/' | xauth -f "$xauth_file" nmerge - 2>/dev/null || true
fi
chown "$user" "$xauth_file"
runuser -u "$user" -- test -w "$root/usr/lib/lumio-capslock" && fail "the user can write the program's folder"
windows_before=$(count_our_windows)
start_as_user() {
  start_program "$work" runuser -u "$user" -- env -i DISPLAY="$DISPLAY" XAUTHORITY="$xauth_file" \
    HOME=/nonexistent PATH=/usr/bin:/bin LANG=C.UTF-8 "$root/usr/bin/lumio-capslock"
}
start_as_user
# Now and then, on a machine busy with many X servers of other tests, the
# user's first connection to this one is refused; a second start tells a
# passing refusal from a fault of ours.
if ! wait_for_quietly 20 windows_are $((windows_before + 1)) && grep -q "cannot open the X display" "$program_log"; then
  echo "(the display refused the program's first connection: started again)"
  stop_program
  start_as_user
fi
wait_for "its window" 20 windows_are $((windows_before + 1))
sleep 9  # the seven-second introduction, then about a hundred polls
running "$program_pid" || fail "the program ended: $(cat "$work/program.log")"
[ "$(count_our_windows)" -eq $((windows_before + 1)) ] || fail "a message box appeared: $(cat "$work/program.log")"
cmp -s "$writable/list.txt" "$root/usr/lib/lumio-capslock/list.txt" || fail "list.txt was changed"

# Polling reads that very file: a blank line in it brings up the box at once.
printf '1\r\n\r\n' >"$root/usr/lib/lumio-capslock/list.txt"
wait_for "the message box of a bad list" 5 windows_are $((windows_before + 2))
stop_program
pass
