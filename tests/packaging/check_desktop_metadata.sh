#!/usr/bin/env bash
# Validates the desktop entry and the AppStream metainfo as a distribution
# would (no error, no warning, no hint) and checks that both name the same
# application id as their file names and the icon:
# check_desktop_metadata.sh DESKTOP_FILE METAINFO_FILE VERSION
set -uo pipefail
desktop=$1
metainfo=$2
version=$3
for tool in desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is not installed (tools/setup.sh installs it); skipped"
        exit 77
    fi
done

failures=0
fail()
{
    echo "FAIL: $*"
    ((failures++))
}

output=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate failed"
[[ -z $output ]] || fail "desktop-file-validate reports: $output"

output=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate failed"
if grep -qE '^[EW]:' <<<"$output"; then
    fail "appstreamcli validate reports: $output"
fi

id=$(basename "$desktop" .desktop)
[[ $(basename "$metainfo") == "$id.metainfo.xml" ]] || fail "metainfo file $(basename "$metainfo") is not $id.metainfo.xml"
grep -qx "<id>$id</id>" <(sed 's/^ *//' "$metainfo") || fail "metainfo id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo launches no $id.desktop"
grep -qx "Icon=$id" "$desktop" || fail "desktop entry's icon is not $id"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo has no release $version"

((failures == 0)) && echo "desktop entry and metainfo: clean"
((failures == 0))
