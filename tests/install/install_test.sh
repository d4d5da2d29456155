#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a temporary prefix, makes it read-only and runs
# what was installed from it as an ordinary user would: the commands on PATH,
# the batch runner in the program folder, the program itself, and the
# window's Compress and Expand with that program folder (DRIVER). Nothing may
# be written into the prefix.
# Usage: install_test.sh BUILD_FOLDER DRIVER
set -euo pipefail

build=$1
driver=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/crunchwise-install.XXXXXX")
first_copy=
cleanup() {
    if [ -n "$first_copy" ]; then
        kill "$first_copy" 2>/dev/null
        wait "$first_copy" 2>/dev/null || true
    fi
    chmod -R u+w "$work"
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
program_dir=$(dirname "$(readlink -f "$prefix/bin/crunchwise")")

# The superuser writes anywhere: run the installed programs as nobody then.
user=()
if [ "$(id -u)" -eq 0 ]; then
    user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
home=$work/home
mkdir -p "$home" "$work/data" "$work/out" "$work/run" "$work/runtime" "$work/kwaj"
chmod 755 "$work"
chmod 700 "$work/runtime"
[ "$(id -u)" -eq 0 ] && chown nobody:nogroup "$home" "$work/data" "$work/out" "$work/run" \
    "$work/runtime" "$work/kwaj"
# A fresh user environment; a simple command, so that the process started
# in the background is the program itself.
as_user=(env -i PATH="$prefix/bin:/usr/bin:/bin" HOME="$home" TMPDIR="$work/runtime"
    XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$home/.config"
    XDG_STATE_HOME="$home/.local/state" QT_QPA_PLATFORM=offscreen "${user[@]}")
run() { "${as_user[@]}" "$@"; }

check_layout() {
    case $program_dir in "$prefix"/lib*/crunchwise) ;; *) fail "program folder $program_dir" ;; esac
    for file in crunchwise compress.exe expand.exe crunchws-cmd crunchws.pif compress.hlp; do
        [ -f "$program_dir/$file" ] || fail "$file missing from the program folder"
    done
    for command in szdd-compress szdd-expand; do
        [ -x "$prefix/bin/$command" ] || fail "$command not in bin"
        [ -f "$prefix/share/man/man1/$command.1.gz" ] || fail "no manual page for $command"
    done
    for file in applications/crunchwise.desktop mime/packages/crunchwise.xml \
        kio/servicemenus/crunchwise-expand.desktop file-manager/actions/crunchwise-compress.desktop \
        icons/hicolor/scalable/apps/crunchwise.svg icons/hicolor/48x48/apps/crunchwise.png \
        man/man1/crunchwise.1.gz; do
        [ -f "$prefix/share/$file" ] || fail "share/$file missing"
    done
    ls "$prefix"/share/metainfo/*.metainfo.xml >/dev/null || fail "no AppStream data"
}

# The command-line tools from PATH: a round trip gives the bytes back.
check_tools() {
    { seq 1 20000; head -c 65536 /dev/urandom; } >"$work/data/sample.txt"
    run szdd-compress "$work/data/sample.txt" "$work/out/SAMPLE.TX_"
    [ "$(head -c 8 "$work/out/SAMPLE.TX_" | od -An -tx1 | tr -d ' ')" = 535a444488f02733 ] ||
        fail "szdd-compress wrote no SZDD header"
    run szdd-expand "$work/out/SAMPLE.TX_" "$work/out/sample.txt"
    cmp "$work/data/sample.txt" "$work/out/sample.txt" || fail "round trip changed the file"
}

# The file manager actions, run as a file manager runs them: the selected
# files in place of %F, one argument each. Odd names stay names, and a file
# that exists already is kept.
run_action() {
    local file=$1 word command=()
    shift
    for word in $(sed -n 's/^Exec=//p' "$file"); do
        if [ "$word" = %F ]; then command+=("$@"); else command+=("$word"); fi
    done
    run "${command[@]}"
}
check_file_manager_actions() {
    local kde=$prefix/share/kio/servicemenus fma=$prefix/share/file-manager/actions
    local odd="$work/data/-r 'x' \"y\" \$(z);"$'\xe9'.txt
    for action in expand compress; do
        cmp <(sed -n 's/^Exec=//p' "$kde/crunchwise-$action.desktop") \
            <(sed -n 's/^Exec=//p' "$fma/crunchwise-$action.desktop") ||
            fail "the $action actions differ"
    done
    # Each compressed type is opened by the program and offered Expand here.
    local types='application/x-ms-compress-szdd;application/x-ms-compress-sz;'
    types+='application/x-ms-compress-kwaj;'
    for entry in "$prefix/share/applications/crunchwise.desktop" "$kde/crunchwise-expand.desktop" \
        "$fma/crunchwise-expand.desktop"; do
        grep -qxE "MimeTypes?=$types" "$entry" || fail "$(basename "$entry") lacks a compressed type"
    done
    cp "$work/data/sample.txt" "$odd"
    printf 'mine' >"$work/data/kept.tx_"
    cp "$work/data/sample.txt" "$work/data/kept.txt"
    [ "$(id -u)" -eq 0 ] && chown nobody "$odd" "$work/data/kept.tx_" "$work/data/kept.txt"
    run_action "$kde/crunchwise-compress.desktop" "$odd" "$work/data/kept.txt" &&
        fail "Compress with Crunchwise replaced a file"
    [ "$(cat "$work/data/kept.tx_")" = mine ] || fail "Compress with Crunchwise replaced kept.tx_"
    mv "$odd" "$work/data/original"
    run_action "$kde/crunchwise-expand.desktop" "${odd%t}_" || fail "Expand here failed"
    cmp "$work/data/original" "$odd" || fail "Expand here gave other bytes"
    # A KWAJ file comes out under the name it stores.
    run szdd-compress --format=kwaj "$work/data/sample.txt" "$work/kwaj/packed_"
    run_action "$fma/crunchwise-expand.desktop" "$work/kwaj/packed_" || fail "Expand here (KWAJ)"
    cmp "$work/data/sample.txt" "$work/kwaj/sample.txt" || fail "Expand here (KWAJ) gave other bytes"
}

# The batch runner, started in the read-only program folder as the launcher
# starts it, with the batch file elsewhere: compress finds compress.exe.
check_batch_runner() {
    local batch=$work/run/_tempcom.bat
    printf 'compress "%s" "%s"\r\nren "%s" "%s"\r\ndel "%s"\r\n' \
        "$work/data/sample.txt" "$work/out/SAMPLE2.TX_" "$work/out/SAMPLE2.TX_" "sample2.tx_" \
        "$batch" >"$batch"
    [ "$(id -u)" -eq 0 ] && chown nobody "$batch"
    (cd "$program_dir" && run ./crunchws-cmd /c "$batch") || fail "the batch failed"
    [ ! -e "$batch" ] || fail "the batch did not delete itself"
    run szdd-expand "$work/out/sample2.tx_" "$work/out/sample2.txt"
    cmp "$work/data/sample.txt" "$work/out/sample2.txt" || fail "batch output differs"
}

# The program from the prefix: a first copy opens a folder, a second one
# hands it a file and ends. Then the window's first start, Compress and
# Expand run end to end against the program folder (see the driver).
check_program() {
    [ "$(run crunchwise --version)" = "crunchwise @PROJECT_VERSION@" ] || fail "crunchwise --version"
    "${as_user[@]}" crunchwise "$work/data" >"$work/first.log" 2>&1 &
    first_copy=$!
    for _ in $(seq 150); do
        [ -n "$(find "$work/runtime" -type s 2>/dev/null)" ] && break
        kill -0 "$first_copy" 2>/dev/null || fail "the first copy ended: $(cat "$work/first.log")"
        sleep 0.1
    done
    # Qt takes the program folder from this link, so the help file, the
    # compressor and the launcher are looked up beside it.
    [ "$(readlink -f "/proc/$first_copy/exe")" = "$program_dir/crunchwise" ] ||
        fail "the program runs from $(readlink -f "/proc/$first_copy/exe")"
    timeout 20 "${as_user[@]}" crunchwise "$work/data/sample.txt" ||
        fail "the second copy did not hand off"
    kill -0 "$first_copy" || fail "the first copy ended"
    grep -q '^RunOnce=1' "$home/.config/Crunchwise/Crunchwise.conf" ||
        fail "settings not in the user's configuration folder"
    # A copy the ordinary user can run; the build folder may be closed to it.
    install -m 755 "$driver" "$work/driver"
    # A message box nobody answers would keep it waiting: a time limit.
    timeout 60 "${as_user[@]}" env CRUNCHWISE_INSTALLED_PROGRAM="$program_dir" "$work/driver" \
        >"$work/driver.log" 2>&1 ||
        fail "the commands with the installed program folder: $(cat "$work/driver.log")"
}

check_layout
listing() { find "$prefix" -printf '%p %s %T@ %m\n' | sort; }
chmod -R a-w "$prefix"
before=$(listing)
check_tools
check_file_manager_actions
check_batch_runner
check_program
[ "$(listing)" = "$before" ] || fail "something was written into the prefix"
echo "installed program works from $prefix"
