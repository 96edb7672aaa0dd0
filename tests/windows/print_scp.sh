# Sourced by the Wine tests that talk DICOM: start_print_scp FOLDER starts
# DCMTK's print SCP of this machine on a free port of 127.0.0.1, its files
# in FOLDER, with the shipped configuration's first local printer; it sets
# print_scp_port and print_scp_pid, and returns 77 (skip) without dcmprscp.
start_print_scp() {
    local work="$1"
    [ -x /usr/bin/dcmprscp ] && [ -r /etc/dcmtk/dcmpstat.cfg ] || return 77
    print_scp_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    local printer
    printer=$(python3 - "$work" "$print_scp_port" <<'PY'
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
    print_scp_pid=$!
    for _ in $(seq 200); do
        (echo >"/dev/tcp/127.0.0.1/$print_scp_port") 2>/dev/null && return 0
        sleep 0.05
    done
    return 1
}
