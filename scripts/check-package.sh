#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine with dpkg -i, checks
# what it installed with the desktop's own tools and removes it again with
# dpkg -r. Needs root (as CI runs). Takes some minutes: not part of test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

checkers=(desktop-file-utils appstream lintian shared-mime-info xdg-utils libfile-mimeinfo-perl
    dpkg-dev file)
missing=()
for p in "${checkers[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# KDE service menus (Type=Service) and file manager actions (Type=Action)
# are desktop entries of types the validator does not know: each is checked
# as the application entry it would be, its action's command as its own.
validate_action() {
    local file=$1 checked
    checked=$work/$(basename "$file")
    awk '/^Exec=/ && !exec { exec = $0 } { lines[NR] = $0 }
         END { for (i = 1; i <= NR; i++) {
                   line = lines[i]
                   if (line ~ /^Type=(Service|Action)$/) { print "Type=Application"; print exec; continue }
                   sub(/^Profiles=/, "X-Profiles=", line); print line } }' "$file" >"$checked"
    desktop-file-validate "$checked"
}

deb=$(bash scripts/package.sh | tail -n 1)
echo "== lintian $deb"
lintian --fail-on error "$deb"

echo "== dpkg -i"
dpkg -i "$deb" >/dev/null
[ "$(crunchwise --version)" = "crunchwise $(dpkg-deb -f "$deb" Version)" ] || fail "crunchwise --version"
desktop-file-validate /usr/share/applications/crunchwise.desktop
appstreamcli validate --no-net /usr/share/metainfo/*crunchwise*.metainfo.xml

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for action in expand compress; do
    for folder in kio/servicemenus file-manager/actions; do
        validate_action "/usr/share/$folder/crunchwise-$action.desktop"
    done
done
echo "file manager actions: $(ls /usr/share/kio/servicemenus/crunchwise-* /usr/share/file-manager/actions/crunchwise-* | xargs)"
seq 1 5000 >"$work/notes.txt"
# One file of each compressed type, each expanded again; by name and, with
# no extension to go by, by its eight signature bytes alone.
types=(szdd=application/x-ms-compress-szdd sz=application/x-ms-compress-sz
    kwaj=application/x-ms-compress-kwaj)
for pair in "${types[@]}"; do
    format=${pair%%=*} mime=${pair#*=}
    szdd-compress --format="$format" "$work/notes.txt" "$work/NOTES-$format.DA_"
    szdd-expand "$work/NOTES-$format.DA_" "$work/notes.again"
    cmp "$work/notes.txt" "$work/notes.again" || fail "szdd-compress/szdd-expand round trip ($format)"
    cp "$work/NOTES-$format.DA_" "$work/packed-$format"
    for file in "NOTES-$format.DA_" "packed-$format"; do
        type=$(XDG_CURRENT_DESKTOP=X-Generic xdg-mime query filetype "$work/$file")
        [ "$type" = "$mime" ] || fail "xdg-mime names $type for $file"
    done
    handler=$(XDG_CURRENT_DESKTOP=X-Generic xdg-mime query default "$mime")
    [ "$handler" = crunchwise.desktop ] || fail "the $format handler is '$handler'"
    echo "xdg-mime: $mime, opened by $handler"
done

echo "== dpkg -r"
installed=$(dpkg -L crunchwise)
dpkg -r crunchwise >/dev/null
left=()
while read -r path; do
    # Folders of other packages stay; everything of ours goes.
    if [ -e "$path" ] || [ -L "$path" ]; then
        [ -d "$path" ] && [ ! -L "$path" ] && dpkg -S "$path" >/dev/null 2>&1 && continue
        left+=("$path")
    fi
done <<<"$installed"
[ "${#left[@]}" -eq 0 ] || fail "left after dpkg -r: ${left[*]}"
for pair in "${types[@]}"; do
    type=$(mimetype --brief "$work/packed-${pair%%=*}")
    [ "$type" != "${pair#*=}" ] || fail "the file type $type outlived the package"
done
echo "package checks passed: $deb"
