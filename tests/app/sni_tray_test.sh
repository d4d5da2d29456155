#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The tray icon where the notification area speaks D-Bus (StatusNotifierItem:
# KDE Plasma, GNOME with the AppIndicator extension). There the desktop shell
# reports every click on the icon as Activate, never as a double click. The
# test plays the shell: a watcher of its own on a private session bus, and
# Activate called on the program's icon as the shell calls it.
#   sni_tray_test.sh PROGRAM
set -euo pipefail
program=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)

# A session bus of the test's own, never the user's.
if [ -z "${SNI_TEST_PRIVATE_BUS:-}" ]; then
    command -v dbus-run-session >/dev/null || { echo "FAIL: dbus-run-session is missing (bash scripts/install-deps.sh)" >&2; exit 1; }
    SNI_TEST_PRIVATE_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
source "$here/../support/x_desktop.sh"
command -v gdbus >/dev/null || fail "gdbus is missing (bash scripts/install-deps.sh)"

desktop_start
/usr/bin/python3 "$here/sni-watcher.py" >"$WORK/watcher.log" 2>&1 &
watcher=$!
desktop_pids+=("$watcher")
for _ in $(seq 1 50); do grep -q READY "$WORK/watcher.log" && break; sleep 0.1; done
grep -q READY "$WORK/watcher.log" || fail "the watcher did not start: $(cat "$WORK/watcher.log")"

# A later start with the tray setting absent: the icon is on.
printf '[Settings]\nRunOnce=1\n' >"$WORK/home/.config/Crunchwise/Crunchwise.conf"
program_start "$program"
for _ in $(seq 1 50); do grep -q '^ITEM' "$WORK/watcher.log" && break; sleep 0.2; done
item=$(awk '/^ITEM/ { print $2; exit }' "$WORK/watcher.log")
[ -n "$item" ] || fail "the program registered no tray icon with the watcher"
echo "ok: the icon registers with the desktop's watcher"
expect shown "the window opens"

# What the shell does on a click: Activate at the pointer's position.
click_icon() {
    gdbus call --session --dest "$item" --object-path /StatusNotifierItem \
        --method "org.kde.StatusNotifierItem.$1" 500 10 >/dev/null || fail "$1 was not answered"
}

click_icon Activate
expect hidden "a click on the icon hides the window"
click_icon Activate
expect shown "a click on the icon of the hidden window brings it back"
click_icon Activate
click_icon Activate
expect shown "two clicks in a row (a double click on this desktop) leave it shown"
click_icon SecondaryActivate
sleep 0.5
expect shown "a middle click changes nothing"

# A right click: the shell asks for the context menu, and the tray menu
# opens as one more window of the program.
windows() { xdotool search --onlyvisible --class crunchwise 2>/dev/null | wc -l || true; }
open_tray_menu() {
    local before
    before=$(windows)
    click_icon ContextMenu
    for _ in $(seq 1 20); do
        [ "$(windows)" -gt "$before" ] && return
        sleep 0.25
    done
    fail "a right click opens no tray menu"
}
open_tray_menu
xdotool key --delay 150 Down Return
expect hidden "a right click opens the tray menu, whose Hide hides the window"
open_tray_menu
xdotool key --delay 150 Down Down Return
expect shown "and whose Show shows it again"

# The notification area goes away (the panel ends) while the window is hidden.
click_icon Activate
expect hidden "hidden once more"
kill "$watcher"
expect shown "with the notification area gone, the window comes back by itself"
