#!/usr/bin/env bash
# The Windows zip, made afresh with CPack in the Windows build: its name and
# file list, the README and licence with Windows line ends, and the .exe in
# it, unpacked, runs under Wine as the built one does: one window, no
# message box, and the default list.txt written beside it once the
# introduction is over. Needs $DISPLAY and Wine.
#   zip_package_test.sh WIN32_BUILD_DIR DEFAULT_LIST_TXT
set -euo pipefail
win32_build=$1
default_list=$2
. "$(dirname "$0")/packaging_test_support.sh"

make_scratch work
step "cpack -G ZIP"
cpack -G ZIP --config "$win32_build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  fail "cpack failed: $(cat "$work/cpack.log")"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$win32_build/CPackConfig.cmake")
zip=$work/out/lumio-capslock-$version-win64.zip
[ -n "$version" ] && [ -f "$zip" ] || fail "no $zip; made: $(ls "$work/out")"

step "file list"
folder=lumio-capslock-$version-win64
expect_same "zipped files" "$(unzip -Z1 "$zip" | grep -v '/$' | sort)" "$(printf '%s\n' \
  "$folder/LICENSE.txt" "$folder/README.txt" "$folder/lumio-capslock.exe")"
unzip -q "$zip" -d "$work/app"
app=$work/app/$folder
grep -q "The Lumio - Caps Lock authors" "$app/LICENSE.txt" || fail "LICENSE.txt is not our licence"
grep -q "shell:startup" "$app/README.txt" || fail "README.txt does not say how to start at login"
[ "$(grep -c $'\r$' "$app/README.txt")" -eq "$(wc -l <"$app/README.txt")" ] || fail "README.txt lacks CR LF line ends"

step "the .exe runs under Wine"
windows_before=$(count_our_windows)
start_program "$work" wine "$app/lumio-capslock.exe"
wait_for "list.txt of 422 bytes beside the .exe" 60 has_size "$app/list.txt" 422
cmp "$app/list.txt" "$default_list" || fail "list.txt differs from the default list"
[ ! -e "$work/list.txt" ] || fail "list.txt was written into the current folder"
sleep 1
[ "$(count_our_windows)" -eq $((windows_before + 1)) ] || fail "expected its one window and no message box"
pass
