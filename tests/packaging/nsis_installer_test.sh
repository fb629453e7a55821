#!/usr/bin/env bash
# The Windows installer, made afresh with CPack in the Windows build, used
# as a user would under Wine, in a scratch copy of the warmed prefix in
# $WINEPREFIX (a new one without it). The prefix is compared with what it
# held before after each step; what the installer writes must be in the
# user's folders and HKEY_CURRENT_USER alone. Needs $DISPLAY, Wine, makensis.
#   nsis_installer_test.sh WIN32_BUILD_DIR DEFAULT_LIST_TXT
set -euo pipefail
win32_build=$1
default_list=$2
. "$(dirname "$0")/packaging_test_support.sh"

make_scratch work
export WINEDEBUG=-all
# No Mono or Gecko prompts; no menu entries in this HOME for the shortcut.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
step "a scratch Wine prefix"
if [ -f "${WINEPREFIX:-/nonexistent}/system.reg" ]; then
  # Beside it: where there is room for one prefix, there is for two.
  copy=$(mktemp -d "$(dirname "$WINEPREFIX")/lumio-installer-test.XXXXXX")
  scratch_folders+=("$copy")
  cp -a "$WINEPREFIX/." "$copy"
  export WINEPREFIX=$copy
else
  export WINEPREFIX=$work/prefix
  wineboot -i >/dev/null 2>&1
fi
cleanups+=("wineserver -k")  # (this prefix's own server)
# One desktop for all (other tests give our programs one of their own), so
# that the installer finds the program's window. Wine writes the console
# settings that Windows comes with when its first console window opens (the
# uninstaller's last command has one, hidden).
wine reg delete 'HKCU\Software\Wine\AppDefaults' /f >/dev/null 2>&1 || true
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Lumio /d 1280x1024 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Lumio /f >/dev/null 2>&1
wine start /wait /min cmd /c exit >/dev/null 2>&1

step "cpack -G NSIS"
cpack -G NSIS --config "$win32_build/CPackConfig.cmake" -B "$work/out" </dev/null >"$work/cpack.log" 2>&1 ||
  fail "cpack failed: $(cat "$work/cpack.log")"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$win32_build/CPackConfig.cmake")
setup=$work/out/lumio-capslock-$version-setup.exe
[ -n "$version" ] && [ -f "$setup" ] || fail "no $setup; made: $(ls "$work/out")"
strings -el "$setup" | grep -qx "$version" || fail "the setup file carries no version information"

user_folder=drive_c/users/$(id -un)
app_folder="$user_folder/AppData/Local/Programs/$kTitle"
app=$WINEPREFIX/$app_folder
uninstall_key='[Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\lumio-capslock]'
run_value='user [Software\\Microsoft\\Windows\\CurrentVersion\\Run] "Lumio - Caps Lock"='
run_line=$run_value'"\"C:\\users\\USER\\AppData\\Local\\Programs\\Lumio - Caps Lock\\lumio-capslock.exe\""'
run_line=${run_line/USER/$(id -un)}

# What the prefix holds, a line each: folders, files with their sizes, and
# each registry key and value (with its key). Of system.reg
# (HKEY_LOCAL_MACHINE) only what names us or NSIS's temporary folders: Wine
# rewrites keys and values there at every start. It waits for Wine to end
# and save the registry.
prefix_state() {
  wineserver -w
  (cd "$WINEPREFIX" && find drive_c \( -type d -printf 'file d %p\n' \) -o -printf 'file %y %s %p\n' | sort)
  for hive in user system; do
    awk -v hive="$hive" '
      /^\[/ { key = $0; sub(/\] [0-9]+$/, "]", key); line = key }
      !/^\[/ { line = key " " $0 }
      /^$/ || /^#/ || NR == 1 { next }
      hive == "user" || tolower(line) ~ /lumio|~nsu/ { print hive " " line }' "$WINEPREFIX/$hive.reg"
  done
}
# Lines of the state now that were not there before, and the other way round.
added() { comm -13 <(printf '%s\n' "$before" | sort) <(printf '%s\n' "$now" | sort); }
gone() { comm -23 <(printf '%s\n' "$before" | sort) <(printf '%s\n' "$now" | sort); }

# install OPTIONS...; uninstall OPTIONS...: silent, the latter with the
# command the Uninstall key gives, its words passed one by one (Wine would
# quote a folder with spaces, and _?= takes the rest of the command line).
install() { wine "$setup" /S "$@" >"$work/setup.log" 2>&1 || fail "setup $* failed: $?"; }
uninstall() {
  local quiet exe words
  quiet=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\lumio-capslock' \
    /v QuietUninstallString 2>/dev/null | sed -n 's/^ *QuietUninstallString *REG_SZ *//p' | tr -d '\r')
  exe=${quiet#\"} exe=${exe%%\"*}
  read -ra words <<<"${quiet#"\"$exe\" "}"
  [ "${words[0]:-}" = /S ] || fail "QuietUninstallString is not silent: $quiet"
  wine "$exe" /S "$@" "${words[@]:1}" >"$work/uninstall.log" 2>&1 || fail "uninstall $* failed: $?"
}

step "the prefix before"
before=$(prefix_state)

step "silent install: nothing in Program Files or HKEY_LOCAL_MACHINE"
install
now=$(prefix_state)
expect_same "files and folders added" "$(added | grep '^file' | sed 's/^file f [0-9]* /file f /' | sort)" "$(printf 'file %s\n' \
  "d $user_folder/AppData/Local/Programs" "d $app_folder" "f $app_folder/LICENSE.txt" "f $app_folder/README.txt" \
  "f $app_folder/Uninstall.exe" "f $app_folder/lumio-capslock.exe" \
  "f $user_folder/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/$kTitle.lnk" | sort)"
[ -z "$(gone)" ] || fail "install removed: $(gone)"
! added | grep '^system' || fail "written to HKEY_LOCAL_MACHINE"
! added | grep -v '^file' | grep -vF "user $uninstall_key" |
  grep -vxF 'user [Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall]' || fail "written to the registry besides the Uninstall key"
ours=$(added | grep -F "user $uninstall_key " | sed 's/^user \[[^]]*\] //')
for value in "\"DisplayName\"=\"$kTitle\"" "\"DisplayVersion\"=\"$version\"" '"Publisher"="Lumio"' \
  '"DisplayIcon"="C:.*\\\\lumio-capslock\.exe,0"' '"EstimatedSize"=dword:0*[1-9a-f][0-9a-f]*' \
  '"UninstallString"="\\"C:.*\\\\Uninstall\.exe\\" _?=C:.*"' \
  '"QuietUninstallString"="\\"C:.*\\\\Uninstall\.exe\\" /S _?=C:.*"'; do
  grep -qx -- "$value" <<<"$ours" || fail "the Uninstall key has no $value: $ours"
done
! grep -qF "$run_value" <<<"$now" || fail "it starts at sign-in unasked"

step "the installed program writes list.txt beside itself"
start_program "$work" wine "$app/lumio-capslock.exe"
wait_for "list.txt of 422 bytes beside the program" 60 has_size "$app/list.txt" 422
cmp "$app/list.txt" "$default_list" || fail "list.txt differs from the default list"
[ ! -e "$work/list.txt" ] || fail "list.txt was written into the current folder"
printf '58\r\n' >"$app/list.txt"  # the user's own from here on

step "silent install with /AUTOSTART over the running program"
install /AUTOSTART
wait_for "the running program to end" 10 not running "$program_pid"
stop_program
now=$(prefix_state)
[ "$(cat "$app/list.txt")" = $'58\r' ] || fail "the user's list.txt changed"
grep -qxF "$run_line" <<<"$now" || fail "no Run value for the program: $(grep -F '\\Run]' <<<"$now")"

step "silent uninstall keeps the changed list.txt"
uninstall
now=$(prefix_state)
expect_same "what the prefix holds besides what it held" "$(added)" "$(printf '%s\n' \
  "file d $user_folder/AppData/Local/Programs" "file d $app_folder" "file f 4 $app_folder/list.txt")"
[ -z "$(gone)" ] || fail "uninstall removed: $(gone)"

step "install again, uninstall with /PURGE: the changed list.txt goes too"
install
[ "$(cat "$app/list.txt")" = $'58\r' ] || fail "the user's list.txt changed"
uninstall /PURGE
now=$(prefix_state)
expect_same "the prefix" "$now" "$before"

step "install, uninstall with the default list.txt: it goes"
install
cp "$default_list" "$app/list.txt"
uninstall
now=$(prefix_state)
expect_same "the prefix" "$now" "$before"
pass
