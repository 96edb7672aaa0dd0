#!/usr/bin/env bash
# The MSI under Wine's msiexec, in a Wine prefix of its own:
#   msi_test.sh MSI FILES_FOLDER WXS VERSION
# installs the package quietly per machine, runs the installed programs,
# upgrades it with the same files as a higher version (built here with
# wixl from the package's own source), and removes it: every file, the
# folder and the shortcut go, and one product is registered at a time.
set -euo pipefail
msi="$1"
files="$2"
wxs="$3"
version="$4"

loader=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
[ -x "$loader" ] || { echo "msi_test: no Wine"; exit 77; }
command -v wixl >/dev/null || { echo "msi_test: no wixl"; exit 77; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quarvel-msi.XXXXXX")
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver="$(dirname "$loader")/wineserver"
cleanup() {
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "msi_test: $*" >&2
    exit 1
}

"$loader" wineboot --init >"$work/wineboot.log" 2>&1 || true
folder="$WINEPREFIX/drive_c/Program Files/Quarvel"
# msiexec may take the package away from where it lies: each run gets a copy.
install() {
    cp "$1" "$work/package.msi"
    (cd "$work" && "$loader" msiexec "$2" package.msi /qn) || fail "msiexec $2 $(basename "$1") failed"
}
registered() {
    "$loader" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
        tr -d '\r' | awk '/DisplayName +REG_SZ +Quarvel$/ { found = 1; next } found && /DisplayVersion/ { print $3; found = 0 }'
}
shortcuts() {
    find "$WINEPREFIX/drive_c" -iname 'Quarvel.lnk' | wc -l
}

# A build with the DICOM checks has their plugin among the files.
installed_files=(quarvel.exe quarvel-cfg.exe testpage.ps)
dicom=()
if [ -f "$files/quarvel-dicom.dll" ]; then
    installed_files+=(quarvel-dicom.dll)
    dicom=(-D Dicom=1)
fi

echo "== install $(basename "$msi")"
install "$msi" /i
for file in "${installed_files[@]}"; do
    [ -f "$folder/$file" ] || fail "$file is not installed"
done
[ "$(shortcuts)" = 1 ] || fail "no Start menu shortcut"
[ "$(registered)" = "$version" ] || fail "registered: '$(registered)', not $version"
out=$("$loader" "$folder/quarvel.exe" --version | tr -d '\r')
[ "$out" = "quarvel $version" ] || fail "installed quarvel.exe --version says '$out'"
out=$("$loader" "$folder/quarvel-cfg.exe" --version | tr -d '\r')
[ "$out" = "quarvel-cfg $version" ] || fail "installed quarvel-cfg.exe --version says '$out'"
(cd "$work" && "$loader" "$folder/quarvel-cfg.exe" defaults new.cfg >/dev/null &&
    "$loader" "$folder/quarvel-cfg.exe" normalize new.cfg again.cfg >/dev/null && cmp -s new.cfg again.cfg) ||
    fail "the installed quarvel-cfg.exe does not write and read a configuration byte for byte"
if [ ${#dicom[@]} -gt 0 ]; then
    # The installed program finds its DICOM plugin: the echo runs (and finds
    # no server on this port) instead of saying the checks are missing.
    out=$(cd "$work" && "$loader" "$folder/quarvel-cfg.exe" echo --timeout 1 new.cfg 127.0.0.1 2>&1 | tr -d '\r') || true
    [[ $out == *"ZELNORSRV at 127.0.0.1:"* ]] || fail "the installed quarvel-cfg.exe echo says '$out'"
fi

echo "== upgrade to $version.1"
(cd "$files" && wixl -a x64 -D Version="$version.1" "${dicom[@]}" -o "$work/newer.msi" "$wxs")
install "$work/newer.msi" /i
[ "$(registered)" = "$version.1" ] || fail "after the upgrade: '$(registered)' registered"
for file in "${installed_files[@]}"; do
    [ -f "$folder/$file" ] || fail "the upgrade lost $file"
done
[ "$(shortcuts)" = 1 ] || fail "after the upgrade: $(shortcuts) shortcuts"

echo "== remove"
install "$work/newer.msi" /x
[ ! -e "$folder" ] || fail "left behind: $(ls -A "$folder")"
[ "$(shortcuts)" = 0 ] || fail "the shortcut stays"
[ -z "$(registered)" ] || fail "still registered: $(registered)"
echo "msi_test: installed, upgraded and removed"
