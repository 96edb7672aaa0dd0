#!/usr/bin/env bash
# The DICOM checks of the Windows build against DCMTK's print SCP of this
# machine (a real peer, on 127.0.0.1): dicom_under_wine.sh QUARVEL_CFG_EXE
# quarvel-cfg.exe echoes the server's and a printer's AE title and prints a
# test film through it.
set -euo pipefail
tool=$(realpath "$1")
here="$(cd "$(dirname "$0")" && pwd)"
run="$here/../../tools/wine-run.sh"
source "$here/print_scp.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/quarvel-dicom-wine.XXXXXX")

cleanup() {
    if [ -n "${print_scp_pid:-}" ]; then kill "$print_scp_pid" 2>/dev/null || true; wait "$print_scp_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

start_print_scp "$work" || exit $?
port=$print_scp_port

cd "$work"
"$run" "$tool" defaults server.cfg >/dev/null
"$run" "$tool" set server.cfg "Port=$port" "Printers[LASER3].PrinterAddress=127.0.0.1" >/dev/null
echo "== echo"
out=$("$run" "$tool" echo --timeout 10 server.cfg | tr -d '\r')
echo "$out"
[ "$(grep -c ": answered in [0-9]* ms$" <<<"$out")" = 2 ] || { echo "dicom_under_wine: not every title answered"; exit 1; }
echo "== filmtest"
out=$("$run" "$tool" filmtest --timeout 30 server.cfg LASER3 | tr -d '\r')
echo "$out"
grep -q "^LASER3 at 127.0.0.1:$port: test film printed$" <<<"$out" || { echo "dicom_under_wine: no film"; exit 1; }
