#!/usr/bin/env bash
# The scripted demo (run by run.sh on a private display): start the program on
# a stand-in desktop, press Caps Lock twice, take screenshots along the way.
set -euo pipefail
cd "$(dirname "$0")/.."

shots="$PWD/out/screenshots"
app_dir="$PWD/out/demo"
mkdir -p "$shots" "$app_dir"
rm -f "$shots"/*.png "$app_dir/list.txt"
cp build/x11/lumio-capslock "$app_dir/"

shot() { import -window root "$shots/$1.png"; echo "  $shots/$1.png: $2"; }
caps_lock() { xdotool keydown Caps_Lock; sleep 0.1; xdotool keyup Caps_Lock; }

build/x11/lumio-demo-desktop &
desktop=$!
app=""
trap 'kill $app $desktop 2>/dev/null || true' EXIT
sleep 1
echo "Screenshots:"
shot 1-desktop "the stand-in desktop with its icons and a notes window"

"$app_dir/lumio-capslock" &
app=$!
sleep 1.5
shot 2-banner "icons hidden, the green introduction banner painted over everything"
sleep 6.5
shot 3-after-introduction "banner erased, icons back, polling started"

caps_lock
sleep 1.0
shot 4-caps-lock-on "\"Caps Lock is ON\", painted 700 ms after the key was released"
sleep 1.0
shot 5-erased "the announcement erased again"

caps_lock
sleep 1.0
shot 6-caps-lock-off "\"Caps Lock is OFF\""
sleep 1.0

kill -TERM $app
wait $app 2>/dev/null || true
app=""
echo "Demo finished; list.txt was written to $app_dir/list.txt"
