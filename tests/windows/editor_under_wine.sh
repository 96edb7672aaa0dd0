#!/usr/bin/env bash
# The Windows editor with Windows' own platform plugin, under Wine on a
# virtual X display: editor_under_wine.sh QUARVEL_EXE GUI_SCREENSHOTS_EXE [OUTDIR]
# - `quarvel.exe --smoke` shows its window and ends;
# - the screenshot tool draws every window, the Start page and the paper
#   dialog among them, and runs Verify Server against DCMTK's print SCP of
#   this machine on 127.0.0.1, whose titles must all answer.
# The pictures stay in OUTDIR when it is given.
set -euo pipefail
editor=$(realpath "$1")
screenshots=$(realpath "$2")
here="$(cd "$(dirname "$0")" && pwd)"
run="$here/../../tools/wine-run.sh"
source "$here/print_scp.sh"
command -v xvfb-run >/dev/null || { echo "editor_under_wine: no xvfb-run"; exit 77; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quarvel-editor-wine.XXXXXX")
out="${3:-$work/pictures}"
mkdir -p "$out"
# A prefix of its own: the test run's prefix draws with Wine's null driver.
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
cleanup() {
    if [ -n "${print_scp_pid:-}" ]; then kill "$print_scp_pid" 2>/dev/null || true; wait "$print_scp_pid" 2>/dev/null || true; fi
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
start_print_scp "$work" || exit $?
"$run" wineboot --init >"$work/wineboot.log" 2>&1 || true

# Wine's X11 driver draws into the virtual display; Qt takes its windows
# platform as on Windows.
# Under Wine with a display the programs do their work and report it, but
# their process may stay after the window closed: each run is bounded, and
# what it printed and drew is what counts.
on_display() {
    local limit="$1"
    shift
    timeout "$limit" xvfb-run -a -s "-screen 0 1280x1024x24" env -u QT_QPA_PLATFORM "$run" "$@" || true
    "$wineserver" -k 2>/dev/null || true
}

echo "== quarvel.exe --smoke"
smoke=$(cd "$work" && on_display 30 "$editor" --smoke 2>&1 | tr -d '\r')
echo "$smoke"
grep -q "quarvel: smoke run: the window was shown" <<<"$smoke" || { echo "editor_under_wine: no window"; exit 1; }

echo "== every window, Verify Server at 127.0.0.1:$print_scp_port"
report=$(cd "$work" && on_display 120 "$screenshots" "$out" "$print_scp_port" 2>/dev/null | tr -d '\r')
echo "$report"
for picture in 0-start paper-dialog verify-server; do
    [ -s "$out/$picture.png" ] || { echo "editor_under_wine: no $picture.png"; exit 1; }
done
grep -q "^SUCCESS" <<<"$report" || { echo "editor_under_wine: Verify Server did not succeed"; exit 1; }
