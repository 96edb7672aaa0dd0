#!/usr/bin/env bash
# Builds the whole Windows side (quarvel.exe, quarvel-cfg.exe with the DICOM
# checks, the MSI and every test) with the mingw-w64 cross compiler against
# the Windows Qt and DCMTK that tools/setup.sh built, and runs the tests under
# Wine, in a fresh Wine prefix that is removed afterwards.
#
#   tools/test-windows.sh        (the windows preset, into build-windows)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-windows

# Asked for by name, so that a missing Windows Qt or DCMTK fails the build
# instead of leaving the editor out.
tools/build.sh windows -DQUARVEL_GUI=ON -DQUARVEL_DICOM=ON

wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
prefix=$(mktemp -d "${TMPDIR:-/tmp}/quarvel-wine.XXXXXX")
export WINEPREFIX="$prefix" WINEDEBUG=-all
cleanup() {
    # Ends the Wine server of this prefix only, and with it every Windows
    # program a test may have left in it.
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT

# One Wine server for the whole run instead of one for every test; then the
# prefix is made (a few seconds). Its services keep the output they were
# given open, so it goes to a file, not to a pipe; Wine's remark that it has
# no 32-bit part is left out (nothing here needs one).
started=$(date +%s)
"$wineserver" -p
tools/wine-run.sh wineboot --init >"$prefix/wineboot.log" 2>&1 || true
grep -v 'syswow64' "$prefix/wineboot.log" || true
# Without a display, a console works with Wine's null graphics driver only
# (the console tests read back what a program wrote to one). The desktop
# takes its driver when it starts: the prefix's programs are ended and
# started again, their output once more into the file.
tools/wine-run.sh reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >>"$prefix/wineboot.log" 2>&1 || true
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w 2>/dev/null || true
"$wineserver" -p
tools/wine-run.sh wineboot >>"$prefix/wineboot.log" 2>&1 || true
echo "test-windows: Wine prefix $prefix ready in $(($(date +%s) - started)) s"

ctest --test-dir "$dir" --output-on-failure --timeout 300
