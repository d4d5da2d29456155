#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Where the main window opens, under a real window manager (openbox on Xvfb)
# that puts a title bar above it: three starts and closes in a row leave the
# window's frame, and the stored MainLeft and MainTop, where they were.
#   placement_test.sh PROGRAM
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/../support/x_desktop.sh"

desktop_start
conf=$WORK/home/.config/Crunchwise/Crunchwise.conf
# Twips that are whole pixels at any usual resolution.
printf '[Settings]\nRunOnce=1\nSysTray=0\nMainLeft=3000\nMainTop=4500\n' >"$conf"

stored() { sed -n "s/^$1=//p" "$conf"; }
# The frame's top left corner on the screen: the window's own corner less
# its place inside the frame.
frame() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { ax = $NF } /Absolute upper-left Y/ { ay = $NF }
        /Relative upper-left X/ { rx = $NF } /Relative upper-left Y/ { ry = $NF }
        END { print ax - rx "," ay - ry }'
}

first=
for start in 1 2 3; do
    program_start "$program"
    expect shown "start $start: the window opens"
    wid=$(window_id)
    if [ -z "$first" ]; then
        sleep 1 # the window manager has framed it and any correction is done
        first=$(frame "$wid")
    fi
    for _ in $(seq 1 20); do
        place=$(frame "$wid")
        [ "$place" = "$first" ] && break
        sleep 0.25
    done
    [ "$place" = "$first" ] || fail "start $start: the frame is at $place, the first start's at $first"
    xdotool windowactivate --sync "$wid" key alt+F4
    for _ in $(seq 1 40); do kill -0 "$PROGRAM_PID" 2>/dev/null || break; sleep 0.25; done
    kill -0 "$PROGRAM_PID" 2>/dev/null && fail "start $start: the program did not end on Alt+F4"
    [ "$(stored MainLeft),$(stored MainTop)" = "3000,4500" ] ||
        fail "start $start: closing stored MainLeft=$(stored MainLeft) MainTop=$(stored MainTop), not 3000 and 4500"
    echo "ok: start $start: the frame at $place, MainLeft and MainTop stay 3000 and 4500"
done
