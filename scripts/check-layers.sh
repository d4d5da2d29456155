#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the layers of the source against the README's layout table (the one
# place that orders them):
# - every C++ file outside tests/ lies in a folder of the table;
# - every #include "..." names a file of the tree from its root, in the
#   including file's own folder or in a folder below it;
# - folders marked Qt-free include no Qt header;
# - each folder has a CMakeLists.txt that builds the targets the table names,
#   and no CMakeLists.txt globs for files or folders.
# Prints each breach and exits 1 when there is any.
#   check-layers.sh [SOURCE_ROOT]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

failures=0
breach() {
    echo "check-layers: $*" >&2
    failures=$((failures + 1))
}

# The table: "RANK|QTFREE|FOLDER|TARGETS|ROW" per folder, from the rows of the
# section "Layout of the source" that begin with a number.
table=$(awk -F'|' '
    /^## / { inside = ($0 ~ /^## Layout of the source/) }
    inside && $2 ~ /^ *[0-9]+ *$/ {
        rank = $2 + 0
        qtfree = ($5 ~ /Qt-free/) ? 1 : 0
        targets = ""
        rest = $4
        while (match(rest, /`[^`]+`/)) {
            targets = targets " " substr(rest, RSTART + 1, RLENGTH - 2)
            rest = substr(rest, RSTART + RLENGTH)
        }
        rest = $3
        while (match(rest, /`[^`]+`/)) {
            folder = substr(rest, RSTART + 1, RLENGTH - 2)
            sub(/\/$/, "", folder)
            print rank "|" qtfree "|" folder "|" targets "|" NR
            rest = substr(rest, RSTART + RLENGTH)
        }
    }' README.md)
[ -n "$table" ] || { echo "check-layers: no layout table in README.md" >&2; exit 1; }

declare -A rank_of qtfree_of
while IFS='|' read -r rank qtfree folder _; do
    rank_of[$folder]=$rank
    qtfree_of[$folder]=$qtfree
done <<<"$table"

# The deepest folder of the table that holds `path`; empty when none does.
layer_of() {
    local dir=${1%/*}
    [ "$dir" = "$1" ] && dir=.
    while [ "$dir" != . ] && [ -z "${rank_of[$dir]+set}" ]; do
        [ "${dir%/*}" = "$dir" ] && dir=. || dir=${dir%/*}
    done
    [ "$dir" = . ] || echo "$dir"
}

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t sources < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
    mapfile -t lists < <(git ls-files --cached --others --exclude-standard -- 'CMakeLists.txt' '*/CMakeLists.txt')
else
    mapfile -t sources < <(find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) \
        -type f -print | sed 's|^\./||')
    mapfile -t lists < <(find . -path ./build -prune -o -name CMakeLists.txt -type f -print |
        sed 's|^\./||')
fi
declare -A present
for file in "${sources[@]}"; do present[$file]=1; done

for file in "${sources[@]}"; do
    case $file in tests/*) continue ;; esac
    layer=$(layer_of "$file")
    if [ -z "$layer" ]; then
        breach "$file: lies in no folder of the README's layout table"
        continue
    fi
    while IFS=: read -r line header; do
        case $header in *.moc) continue ;; esac
        if [ -z "${present[$header]+set}" ]; then
            breach "$file:$line: \"$header\" is no file named from the source root"
            continue
        fi
        target=$(layer_of "$header")
        if [ -z "$target" ]; then
            breach "$file:$line: includes $header, which lies in no layer"
        elif [ "$target" != "$layer" ] && [ "${rank_of[$target]}" -le "${rank_of[$layer]}" ]; then
            breach "$file:$line: $layer (layer ${rank_of[$layer]}) includes $header" \
                "of $target (layer ${rank_of[$target]}), which does not stand below it"
        fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
        sed -E 's/^([0-9]+):[^"]*"([^"]*)".*/\1:\2/')
    if [ "${qtfree_of[$layer]}" = 1 ] && grep -qE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' "$file"; then
        breach "$file: includes a Qt header, but $layer is Qt-free"
    fi
done

# Each row's targets are built by the CMakeLists.txt of its folders.
while IFS='|' read -r row folders targets; do
    lists_of_row=()
    for folder in $folders; do
        if [ -f "$folder/CMakeLists.txt" ]; then
            lists_of_row+=("$folder/CMakeLists.txt")
        else
            breach "$folder: no CMakeLists.txt"
        fi
    done
    [ ${#lists_of_row[@]} -gt 0 ] || continue
    for target in $targets; do
        grep -qE "add_(library|executable)\($target[[:space:]]" "${lists_of_row[@]}" ||
            breach "$folders: the table names target $target, which is not built there"
    done
done < <(awk -F'|' '{ folders[$5] = folders[$5] " " $3; targets[$5] = $4 }
    END { for (row in folders) print row "|" folders[row] "|" targets[row] }' <<<"$table")

for list in "${lists[@]}"; do
    while IFS=: read -r line _; do
        breach "$list:$line: globs instead of listing its files or folders"
    done < <(grep -n 'file(GLOB' "$list" || true)
done

if [ "$failures" -gt 0 ]; then
    echo "check-layers: $failures breach(es) of the layout in README.md" >&2
    exit 1
fi
echo "check-layers: ${#sources[@]} files, every include within its layer or below"
