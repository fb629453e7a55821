#!/usr/bin/env bash
# The Windows installer, made afresh by CPack, used as a user would under Wine
# in a scratch copy of $WINEPREFIX (or a new prefix), compared after each step
# with what it held before. Needs $DISPLAY, Wine and makensis.
#   nsis_installer_test.sh WIN32_BUILD_DIR DEFAULT_LIST_TXT
set -euo pipefail
win32_build=$1
default_list=$2
. "$(dirname "$0")/packaging_test_support.sh"

make_scratch work
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"  # no prompts, no menu entries
step "a scratch Wine prefix"
if [ -f "${WINEPREFIX:-/nonexistent}/system.reg" ]; then  # beside it: where there is room for one prefix...
  copy=$(mktemp -d "$(dirname "$WINEPREFIX")/lumio-installer-test.XXXXXX") && scratch_folders+=("$copy")
  cp -a "$WINEPREFIX/." "$copy" && export WINEPREFIX=$copy
else
  export WINEPREFIX=$work/prefix && wineboot -i >/dev/null 2>&1
fi
cleanups+=("wineserver -k")
# One desktop for all (other tests give our programs their own), so that the
# installer finds the program's window; the console settings Windows has,
# which Wine writes when a first console opens (the uninstaller opens one).
wine reg delete 'HKCU\Software\Wine\AppDefaults' /f >/dev/null 2>&1 || true
wine start /wait /min cmd /c exit >/dev/null 2>&1

step "cpack -G NSIS"
cpack -G NSIS --config "$win32_build/CPackConfig.cmake" -B "$work/out" </dev/null >"$work/cpack.log" 2>&1 ||
  fail "cpack failed: $(cat "$work/cpack.log")"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$win32_build/CPackConfig.cmake")
setup=$work/out/lumio-capslock-$version-setup.exe
strings -el "$setup" | grep -qx "$version" || fail "no $setup, or no version information in it"

user=drive_c/users/$(id -un)
app="$user/AppData/Local/Programs/$kTitle"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\lumio-capslock'
# What the prefix holds, a line each: folders, files with their sizes, registry
# keys and values (with their key); of HKEY_LOCAL_MACHINE only what names us or
# NSIS's temporary folders, as Wine rewrites the rest at every start.
prefix_state() {
  (cd "$WINEPREFIX" && find drive_c \( -type d -printf 'file d %p\n' \) -o -printf 'file %y %s %p\n')
  for hive in user system; do
    awk -v hive="$hive" '/^\[/ { key = $0; sub(/\] [0-9]+$/, "]", key); line = key } !/^\[/ { line = key " " $0 }
      /^$/ || /^#/ || NR == 1 { next } hive == "user" || tolower(line) ~ /lumio|~nsu/ { print hive " " line }' "$WINEPREFIX/$hive.reg"
  done
}
added() { comm -13 <(sort <<<"$before") <(prefix_state | sort); }
gone() { comm -23 <(sort <<<"$before") <(prefix_state | sort); }

# Waits for Wine's processes in this prefix to end, when Wine saves the
# registry. Its services now and then linger for minutes: they are ended.
settle() { timeout 20 wineserver -w || { echo "(Wine's services lingered: ended)"; wineserver -k; wineserver -w; } || true; }
# Silent; the uninstaller with the command its key gives, the words after /S one
# by one (Wine would quote a folder with spaces, and _?= takes the rest).
install() { timeout 60 wine "$setup" /S "$@" >"$work/setup.log" 2>&1 || fail "setup $* failed ($?)"; settle; }
uninstall() {
  local quiet words
  quiet=$(wine reg query "$key" /v QuietUninstallString | sed -n 's/^ *QuietUninstallString *REG_SZ *//p' | tr -d '\r')
  read -ra words <<<"${quiet#*\" /S }"
  timeout 60 wine "$(sed 's/^"\([^"]*\)".*/\1/' <<<"$quiet")" /S "$@" "${words[@]}" >"$work/uninstall.log" 2>&1 ||
    fail "uninstall $* ($quiet) failed ($?)"
  settle
}

settle
before=$(prefix_state)
step "silent install: nothing in Program Files or HKEY_LOCAL_MACHINE"
install
now=$(added)
expect_same "files added" "$(grep '^file' <<<"$now" | sed 's/^file f [0-9]* /f /;s/^file //' | sort)" "$(printf '%s\n' \
  "d $user/AppData/Local/Programs" "d $app" "f $app/LICENSE.txt" "f $app/README.txt" "f $app/Uninstall.exe" \
  "f $app/lumio-capslock.exe" "f $user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/$kTitle.lnk" | sort)"
! grep -v '^file' <<<"$now" | grep -vF 'user [Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall' ||
  fail "written to the registry besides the Uninstall key"
[ -z "$(gone)" ] || fail "install removed: $(gone)"
for value in "DisplayName\"=\"$kTitle\"" "DisplayVersion\"=\"$version\"" 'Publisher"="Lumio"' \
  'DisplayIcon"="C:.*\\\\lumio-capslock\.exe,0"' 'EstimatedSize"=dword:0*[1-9a-f][0-9a-f]*' \
  'UninstallString"="\\"C:.*\\\\Uninstall\.exe\\" _?=C:.*"' 'QuietUninstallString"="\\"C:.*\\\\Uninstall\.exe\\" /S _?=C:.*"'; do
  grep -qx "user .*Uninstall.*lumio-capslock] \"$value" <<<"$now" || fail "the Uninstall key lacks $value"
done

step "the installed program writes list.txt beside itself"
start_program "$work" wine "$WINEPREFIX/$app/lumio-capslock.exe"
wait_for "list.txt of 422 bytes beside the program" 60 has_size "$WINEPREFIX/$app/list.txt" 422
cmp "$WINEPREFIX/$app/list.txt" "$default_list" || fail "list.txt differs from the default list"
printf '58\r\n' >"$WINEPREFIX/$app/list.txt"  # the user's own from here on

step "silent install with /AUTOSTART over the running program"
install /AUTOSTART
not running "$program_pid" || fail "the running program did not end"
grep -qx 'user .*CurrentVersion\\\\Run] "Lumio - Caps Lock"="\\"C:.*\\\\Lumio - Caps Lock\\\\lumio-capslock\.exe\\""' <<<"$(added)" ||
  fail "no Run value for the program"
[ "$(cat "$WINEPREFIX/$app/list.txt")" = $'58\r' ] || fail "the user's list.txt changed"

step "silent uninstall keeps the changed list.txt, and only that"
uninstall
expect_same "what the prefix holds besides" "$(added)" "$(printf 'file %s\n' "d $user/AppData/Local/Programs" "d $app" "f 4 $app/list.txt")"
[ -z "$(gone)" ] || fail "uninstall removed: $(gone)"

step "the changed list.txt goes with /PURGE, the default one always: all is as before"
install
uninstall /PURGE
expect_same "the prefix after /PURGE" "$(prefix_state | sort)" "$(sort <<<"$before")"
install
cp "$default_list" "$WINEPREFIX/$app/list.txt"
uninstall
expect_same "the prefix" "$(prefix_state | sort)" "$(sort <<<"$before")"
pass
