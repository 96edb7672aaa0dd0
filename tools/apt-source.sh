#!/usr/bin/env bash
# Fetches and unpacks a Debian source package: tools/apt-source.sh PACKAGE DIR
#
# apt needs a deb-src entry for that. When the machine has none, one is made
# from its own apt sources: every active "deb" entry again with "deb-src",
# the same addresses, suites and keys, so that sources come from wherever
# the machine's packages come from. The unpacked tree is DIR/PACKAGE-VERSION.
set -euo pipefail
package="$1"
dir="$2"

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi

if ! apt-cache showsrc "$package" 2>/dev/null | grep -q '^Package:'; then
    entries=$(mktemp)
    # deb822 files: each stanza whose Types has deb, with Types: deb-src.
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -e "$file" ] || continue
        [ "$(basename "$file")" = quarvel-deb-src.sources ] && continue
        awk 'BEGIN { RS = ""; ORS = "\n\n" }
             /(^|\n)Types:[^\n]*(^|[ \t])deb([ \t\n]|$)/ && !/(^|\n)Enabled:[ \t]*no/ {
                 gsub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print }' \
            "$file" >>"$entries"
    done
    # One-line sources.list files: "deb [options] URI SUITE COMPONENTS..."
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -e "$file" ] || continue
        sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$file" >>"$entries.list"
    done
    [ -s "$entries" ] && $sudo cp "$entries" /etc/apt/sources.list.d/quarvel-deb-src.sources
    [ -s "$entries.list" ] && $sudo cp "$entries.list" /etc/apt/sources.list.d/quarvel-deb-src.list
    rm -f "$entries" "$entries.list"
    echo "apt-source: deb-src entries made from the machine's apt sources"
    $sudo apt-get update -q
fi

mkdir -p "$dir"
cd "$dir"
# Root's download cannot drop to the _apt user in every folder; that is
# only a warning.
apt-get source -q "$package" 2>&1 | grep -v -e 'unsandboxed' -e '^W: ' || true
ls -d "$dir/$package"-*/ >/dev/null
