#!/bin/sh
# Gives the named Windows programs a 1280x1024 Wine virtual desktop of
# their own, "LumioTest", in the prefix of $WINEPREFIX (Wine's default
# prefix without one). Other programs keep whatever desktop they had.
#
# Wine's output goes nowhere: a first Wine process starts Wine's own
# services, which would otherwise hold CTest's pipe open long after we end.
set -e
desktop=LumioTest
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$desktop" /d 1280x1024 /f </dev/null >/dev/null 2>&1
for exe in "$@"; do
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe\\Explorer" /v Desktop /d "$desktop" /f \
    </dev/null >/dev/null 2>&1
done
echo "Wine virtual desktop $desktop for: $*"
