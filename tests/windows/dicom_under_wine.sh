#!/usr/bin/env bash
# The DICOM checks of the Windows build against DCMTK's print SCP of this
# machine (a real peer, on 127.0.0.1): dicom_under_wine.sh QUARVEL_CFG_EXE
# quarvel-cfg.exe echoes the server's and a printer's AE title and prints a
# test film through it.
set -euo pipefail
tool="$1"
[ -x /usr/bin/dcmprscp ] && [ -r /etc/dcmtk/dcmpstat.cfg ] || { echo "dicom_under_wine: no dcmprscp"; exit 77; }
run="$(dirname "$0")/../../tools/wine-run.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/quarvel-dicom-wine.XXXXXX")
scp=""
cleanup() {
    [ -n "$scp" ] && kill "$scp" 2>/dev/null && wait "$scp" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
# The shipped configuration with its first local printer on our port, and
# its folders in ours.
printer=$(python3 - "$work" "$port" <<'PY'
import re, sys
work, port = sys.argv[1], sys.argv[2]
text = open("/etc/dcmtk/dcmpstat.cfg").read()
found = re.search(r"\n\[(\w+)\]\n([^\[]*\n)?Type\s*=\s*LOCALPRINTER[^\[]*", text)
section = re.sub(r"\nPort\s*=[^\n]*", "\nPort = " + port, found.group(0))
text = text[:found.start()] + section + text[found.end():]
text = re.sub(r"\n(\s*Directory\s*=\s*)(database|spool)\b", lambda m: "\n" + m.group(1) + work + "/" + m.group(2), text)
text = re.sub(r"\n\s*LogDirectory\s*=[^\n]*", "\nLogDirectory = " + work, text)
open(work + "/dcmpstat.cfg", "w").write(text)
print(found.group(1))
PY
)
mkdir -p "$work/database" "$work/spool"
/usr/bin/dcmprscp -c "$work/dcmpstat.cfg" -p "$printer" >/dev/null 2>&1 &
scp=$!
for _ in $(seq 200); do
    (echo >"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
    sleep 0.05
done

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
