#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the benchmark programs (Release), generates text, x86 program, random
# and all-zero files of 1 MiB up to MAX_MIB (default 64), takes the first MiB
# of five large shared libraries, and prints a Markdown table comparing our
# codec with libmspack (expanding in memory), with Debian's mscompress
# (compressing) and with the smallest output the format allows (the optimum:
# the exact longest match at every position, then the cheapest parse), plus
# file-to-file expansion through LZCopy; then, per data and format (SZ and
# KWAJ methods 2, 3 and 4), our encoder's speed and size and our decoder
# beside libmspack's, in memory.
#
#   tests/bench/run-benchmarks.sh [MAX_MIB]
#
# Speeds are MB/s (10^6 bytes of expanded data per second of CPU time, user +
# system), so other work on a shared machine disturbs the comparison little.
# Environment: BENCH_BUILD_DIR (default build/bench), BENCH_DATA_DIR (default a
# temporary folder, removed afterwards).
set -euo pipefail

max_mib=${1:-64}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BENCH_BUILD_DIR:-$root/build/bench}
work=${BENCH_DATA_DIR:-$(mktemp -d)}
[ -z "${BENCH_DATA_DIR:-}" ] && trap 'rm -rf "$work"' EXIT
mkdir -p "$work"

echo "Building the benchmark programs in $build ..." >&2
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
targets=(szdd_bench szdd_optimum mspack_bench cpu_time)
have_lz=0
target_list=$(cmake --build "$build" --target help)
if grep -q '\blzcopy_bench\b' <<<"$target_list"; then
    targets+=(lzcopy_bench)
    have_lz=1
fi
cmake --build "$build" --target "${targets[@]}" -j2 >/dev/null
bin=$build/tests/bench

# --- Data ------------------------------------------------------------------
sizes=()
for mib in 1 4 16 64; do
    [ "$mib" -le "$max_mib" ] && sizes+=("$mib")
done
[ "${#sizes[@]}" -eq 0 ] && sizes=(1)
largest=$((${sizes[-1]} * 1048576))

text_sources() {
    find /usr/share/common-licenses /usr/include -type f \
        \( -path '/usr/share/common-licenses/*' -o -name '*.h' \) | LC_ALL=C sort
}
program_sources() {
    find /usr/bin /usr/lib/x86_64-linux-gnu -maxdepth 1 -type f -size +64k \
        \( -path '/usr/bin/*' -o -name '*.so*' \) | LC_ALL=C sort
}
# Writes `largest` bytes from the files listed by $1 into $2, repeating the list if short.
concatenate() {
    local list=$1 out=$2
    : >"$out"
    while [ "$(stat -c %s "$out")" -lt "$largest" ]; do
        $list | xargs cat >>"$out" 2>/dev/null || true
        [ "$(stat -c %s "$out")" -eq 0 ] && { echo "no input for $out" >&2; exit 1; }
    done
    truncate -s "$largest" "$out"
}

echo "Generating data (largest $((largest / 1048576)) MiB) in $work ..." >&2
concatenate text_sources "$work/text.all"
concatenate program_sources "$work/x86.all"
head -c "$largest" /dev/urandom >"$work/random.all"
head -c "$largest" /dev/zero >"$work/zeros.all"

# --- Measurements ----------------------------------------------------------
field() { sed -n "s/.*\b$1=\([^ ]*\).*/\1/p"; }
mbps() { awk -v b="$1" -v s="$2" 'BEGIN { printf "%.1f", b / s / 1e6 }'; }
div() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", a / b }'; }

header="| data | MiB | encode MB/s | mscompress MB/s | encode speed x | our size | optimum | over optimum | mscompress size | size / mscompress | size / source | decode MB/s | libmspack MB/s | decode x"
rule="|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:"
if [ "$have_lz" -eq 1 ]; then
    header+=" | LZCopy file MB/s | LZCopy / libmspack"
    rule+="|---:|---:"
fi
rows=()
summary=$work/summary.txt
: >"$summary"

# Measures one source file and adds its row.
measure() {
    local kind=$1 mib=$2 src=$3
    local bytes enc ours_size enc_speed optimum excess peer peer_size peer_speed dec dec_speed lib
    local lib_speed row lz lz_speed lz_ratio=""
    bytes=$(stat -c %s "$src")

    enc=$("$bin/szdd_bench" encode "$src" "$work/ours.sz_")
    ours_size=$(field packed <<<"$enc")
    enc_speed=$(mbps "$bytes" "$(field seconds <<<"$enc")")
    optimum=$("$bin/szdd_optimum" "$src" | field optimum_bytes)
    excess=$(awk -v a="$ours_size" -v b="$optimum" 'BEGIN { printf "%.3f%%", (a / b - 1) * 100 }')

    cp "$src" "$work/peer.bin"
    rm -f "$work/peer.bin_"
    peer=$("$bin/cpu_time" mscompress "$work/peer.bin")
    peer_size=$(stat -c %s "$work/peer.bin_")
    peer_speed=$(mbps "$bytes" "$(field seconds <<<"$peer")")

    dec=$("$bin/szdd_bench" decode "$work/ours.sz_" "$src")
    dec_speed=$(mbps "$bytes" "$(field seconds <<<"$dec")")
    lib=$("$bin/mspack_bench" "$work/ours.sz_" "$src")
    lib_speed=$(mbps "$bytes" "$(field seconds <<<"$lib")")

    row="| $kind | $mib | $enc_speed | $peer_speed | $(div "$enc_speed" "$peer_speed") | $ours_size | $optimum | $excess | $peer_size | $(div "$ours_size" "$peer_size") | $(div "$ours_size" "$bytes") | $dec_speed | $lib_speed | $(div "$dec_speed" "$lib_speed")"
    if [ "$have_lz" -eq 1 ]; then
        lz=$("$bin/lzcopy_bench" "$work/ours.sz_" "$work/lz.out")
        cmp -s "$work/lz.out" "$src" || { echo "LZCopy output differs for $src" >&2; exit 1; }
        lz_speed=$(mbps "$bytes" "$(field seconds <<<"$lz")")
        lz_ratio=$(div "$lz_speed" "$lib_speed")
        row+=" | $lz_speed | $lz_ratio"
    fi
    rows+=("$row |")
    echo "$kind $(div "$dec_speed" "$lib_speed") $(div "$enc_speed" "$peer_speed") $ours_size $peer_size $bytes ${lz_ratio:-none} $enc_speed $ours_size $optimum" >>"$summary"
    rm -f "$work/peer.bin" "$work/peer.bin_" "$work/lz.out"
    measure_formats "$kind" "$mib" "$src"
}

formats=(sz kwaj2 kwaj3 kwaj4)
format_rows=()
format_summary=$work/format-summary.txt
: >"$format_summary"

# The other formats on the same source: our encoder, our decoder, libmspack's.
measure_formats() {
    local kind=$1 mib=$2 src=$3 bytes format enc size dec lib dec_speed lib_speed
    bytes=$(stat -c %s "$src")
    for format in "${formats[@]}"; do
        enc=$("$bin/szdd_bench" encode "$src" "$work/ours.$format" "$format")
        size=$(field packed <<<"$enc")
        dec=$("$bin/szdd_bench" decode "$work/ours.$format" "$src")
        lib=$("$bin/mspack_bench" "$work/ours.$format" "$src")
        dec_speed=$(mbps "$bytes" "$(field seconds <<<"$dec")")
        lib_speed=$(mbps "$bytes" "$(field seconds <<<"$lib")")
        format_rows+=("| $kind | $mib | $format | $(mbps "$bytes" "$(field seconds <<<"$enc")") | $(div "$size" "$bytes") | $dec_speed | $lib_speed | $(div "$dec_speed" "$lib_speed") |")
        echo "$format $(div "$dec_speed" "$lib_speed")" >>"$format_summary"
        rm -f "$work/ours.$format"
    done
}

for kind in text x86 random zeros; do
    for mib in "${sizes[@]}"; do
        echo "  $kind $mib MiB ..." >&2
        src=$work/$kind-$mib.bin
        head -c $((mib * 1048576)) "$work/$kind.all" >"$src"
        measure "$kind" "$mib" "$src"
        rm -f "$src"
    done
done

# Program code the x86 mix above has little of: large shared libraries.
libraries=(libQt6Widgets.so.6 libQt6Gui.so.6 libQt6Core.so.6 libicui18n.so.72 libstdc++.so.6)
for library in "${libraries[@]}"; do
    path=/usr/lib/x86_64-linux-gnu/$library
    if [ ! -f "$path" ]; then
        echo "  $library is not installed: skipped" >&2
        continue
    fi
    echo "  $library, first MiB ..." >&2
    head -c 1048576 "$path" >"$work/library.bin"
    measure "$library" 1 "$work/library.bin"
done

# --- Report ----------------------------------------------------------------
echo
echo "$header |"
echo "$rule|"
printf '%s\n' "${rows[@]}"
echo
awk -v lz="$have_lz" '
    function check(name, value, op, target) {
        ok = (op == ">=") ? value >= target : value <= target
        printf "| %s | %.4f | %s %s | %s |\n", name, value, op, target, ok ? "met" : "NOT MET"
    }
    BEGIN { dec = 1e9; enc = 1e9; lzr = 1e9; size = 0; textsize = 0; zeros = 0; larger = 0
            codeSpeed = 1e9; excess = 0 }
    {
        if ($1 != "random" && $1 != "zeros" && $8 < codeSpeed) codeSpeed = $8
        if (($9 / $10 - 1) * 100 > excess) excess = ($9 / $10 - 1) * 100
        if ($2 < dec) dec = $2
        if ($3 < enc) enc = $3
        if ($4 / $5 > size) size = $4 / $5
        if ($4 > $5) larger++
        if ($1 == "text" && $4 / $5 > textsize) textsize = $4 / $5
        if ($1 == "zeros" && $4 / $6 > zeros) zeros = $4 / $6
        if ($7 != "none" && $7 < lzr) lzr = $7
    }
    END {
        print "| target (worst case over all files) | value | goal | |"
        print "|---|---:|---|---|"
        check("decode speed / libmspack in memory", dec, ">=", 5)
        if (lz == 1) check("LZCopy file-to-file / libmspack in memory", lzr, ">=", 1)
        check("encode speed / mscompress", enc, ">=", 10)
        check("encode MB/s, text and program code", codeSpeed, ">=", 15)
        check("our size over the optimum, %", excess, "<=", 0.1)
        check("our size / mscompress size", size, "<=", 1)
        check("files where ours is larger than mscompress", larger, "<=", 0)
        check("our size / mscompress size, text", textsize, "<=", 0.97)
        check("zeros: our size / source size", zeros, "<=", 0.119)
    }' "$summary"

echo
echo "| data | MiB | format | encode MB/s | size / source | decode MB/s | libmspack MB/s | decode x |"
echo "|---|---:|---|---:|---:|---:|---:|---:|"
printf '%s\n' "${format_rows[@]}"
echo
echo "| target (worst case over all files) | value | goal | |"
echo "|---|---:|---|---|"
awk '
    { if (!($1 in worst) || $2 < worst[$1]) worst[$1] = $2 }
    END {
        for (f in worst)
            printf "| %s decode speed / libmspack in memory | %.4f | >= 2 | %s |\n", f, worst[f],
                (worst[f] >= 2 ? "met" : "NOT MET")
    }' "$format_summary" | sort
