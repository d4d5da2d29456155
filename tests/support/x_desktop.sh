# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the tests that need a real X display and window manager: a
# private Xvfb display with openbox, a scratch home for the program, and
# waits on the main window's visibility.
#   desktop_start            starts Xvfb and openbox; sets DISPLAY and WORK (scratch folder)
#   program_start PROG [ARG] starts the program with WORK/home as its home and settings
#   window_id                prints the id of the shown main window, nothing when none
#   expect shown|hidden WHAT waits up to 10 s for the window to be so; says "ok: WHAT" or fails
#   fail MESSAGE             says "FAIL: MESSAGE" and ends the test with exit code 1
# Everything started is ended when the script exits.

desktop_pids=()

desktop_cleanup() {
    local pid
    for pid in "${desktop_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    [ -n "${WORK:-}" ] && rm -rf "$WORK"
}
trap desktop_cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -s "${WORK:-/nonexistent}/program.log" ] && sed 's/^/  program: /' "$WORK/program.log" >&2
    exit 1
}

desktop_start() {
    local tool
    for tool in Xvfb openbox xdotool; do
        command -v "$tool" >/dev/null || fail "$tool is missing (bash scripts/install-deps.sh)"
    done
    WORK=$(mktemp -d)
    mkdir -m 700 "$WORK/run"
    mkdir -p "$WORK/home/.config/Crunchwise"
    # Xvfb picks a free display itself, so tests side by side never share one.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" >/dev/null 2>&1 &
    desktop_pids+=($!)
    local _
    for _ in $(seq 1 50); do [ -s "$WORK/display" ] && break; sleep 0.1; done
    [ -s "$WORK/display" ] || fail "no Xvfb display could be started"
    export DISPLAY=:$(head -n 1 "$WORK/display")
    openbox >/dev/null 2>&1 &
    desktop_pids+=($!)
    # A window mapped before the window manager runs is framed late, and
    # moves; wait until openbox has announced itself on the root window.
    for _ in $(seq 1 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return
        sleep 0.1
    done
    fail "openbox did not start"
}

program_start() {
    HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_RUNTIME_DIR=$WORK/run \
        QT_QPA_PLATFORM=xcb "$@" >"$WORK/program.log" 2>&1 &
    PROGRAM_PID=$!
    desktop_pids+=("$PROGRAM_PID")
}

window_id() {
    xdotool search --onlyvisible --name '^Crunchwise$' 2>/dev/null | head -n 1
}

expect() {
    local _
    for _ in $(seq 1 40); do
        if [ "$1" = shown ] && [ -n "$(window_id)" ]; then echo "ok: $2"; return; fi
        if [ "$1" = hidden ] && [ -z "$(window_id)" ]; then echo "ok: $2"; return; fi
        sleep 0.25
    done
    fail "$2: the window is not $1"
}
