#!/usr/bin/env bash
# The README's picture of the window and its tray icon. Runs the program under
# Xvfb with openbox as window manager and trayer as notification area, drives
# the tray as a user would (a click hides the window, a click on the icon of
# the hidden window or a double click shows it, a right click opens the tray
# menu) and saves the screen with the tray menu open.
#   bash scripts/screenshot.sh [PROGRAM] [PICTURE]
# Defaults: build/test/program/crunchwise and docs/tray.png.
set -euo pipefail
cd "$(dirname "$0")/.."

program=$(realpath -m "${1:-build/test/program/crunchwise}")
picture=$(realpath -m "${2:-docs/tray.png}")
for tool in Xvfb openbox trayer xdotool import; do
    command -v "$tool" >/dev/null || { echo "screenshot.sh: $tool is missing (bash scripts/install-deps.sh)" >&2; exit 1; }
done
[ -x "$program" ] || { echo "screenshot.sh: $program: no such program; build it first" >&2; exit 1; }

readonly width=640 height=360
# trayer sits in the top right corner; the one icon is its rightmost.
readonly icon_x=$((width - 12)) icon_y=14

# A fixed folder name reads better in the picture than a random one.
work=/tmp/crunchwise-screenshot
mkdir "$work" 2>/dev/null || work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "screenshot.sh: $*" >&2; exit 1; }

# Other programs may hold a display number: try a few.
for _ in 1 2 3 4 5; do
    display=:$((60 + RANDOM % 30))
    Xvfb "$display" -screen 0 ${width}x${height}x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    sleep 1
    kill -0 "$xvfb" 2>/dev/null && break
done
kill -0 "$xvfb" 2>/dev/null || fail "no Xvfb display could be started"
pids+=("$xvfb")
export DISPLAY=$display
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 0.5
trayer --edge top --align right --widthtype request --height 28 --transparent false \
    --tint 0xd0d0d0 >/dev/null 2>&1 &
pids+=($!)
sleep 0.5

# A user of our own whose first run is done, with a folder of setup files.
home=$work/home
source_folder=$work/Downloads/SETUP
mkdir -p "$home/.config/Crunchwise" "$source_folder/DISK1" "$source_folder/DISK2"
printf '[Settings]\nRunOnce=1\nMainLeft=300\nMainTop=900\n' >"$home/.config/Crunchwise/Crunchwise.conf"
for name in SETUP.EX_ SETUP.INF README.TX_ CTL3D.DL_ VBRUN300.DL_ LICENSE.TXT; do
    head -c 4096 /dev/urandom >"$source_folder/$name"
done
(cd "$source_folder" && HOME=$home XDG_CONFIG_HOME=$home/.config XDG_RUNTIME_DIR=$work \
    exec "$program" >"$work/program.log" 2>&1) &
pids+=($!)

visible() { xdotool search --onlyvisible --name '^Crunchwise$' 2>/dev/null | head -1; }
expect() { # expect shown|hidden WHAT
    for _ in $(seq 1 20); do
        if [ "$1" = shown ] && [ -n "$(visible)" ]; then echo "ok: $2"; return; fi
        if [ "$1" = hidden ] && [ -z "$(visible)" ]; then echo "ok: $2"; return; fi
        sleep 0.25
    done
    fail "$2: the window is not $1"
}
click_icon() { xdotool mousemove "$icon_x" "$icon_y" click "$@"; }

expect shown "the window opens"
sleep 1
click_icon 1
expect hidden "a click on the tray icon hides the window"
sleep 1 # so that the clicks do not pair into a double click
click_icon 1
expect shown "a click on the icon of the hidden window shows it"
sleep 1
click_icon 1
expect hidden "a click hides it again"
sleep 1
click_icon --repeat 2 --delay 80 1
expect shown "a double click on the tray icon shows it"

click_icon 3
sleep 0.7
import -window root "$picture"
xdotool key Escape
echo "ok: a right click opens the tray menu; picture in $picture"
