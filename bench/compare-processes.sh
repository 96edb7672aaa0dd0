#!/usr/bin/env bash
# Times whole processes over one generated file of N printers, N paper sizes
# and N header bitmaps (3 N sections; N = 3334 gives about 10,000 sections,
# N = 333334 about a million and 183 MB):
#
#   floor        read the file, write it to a temporary file, fsync, rename,
#                fsync the folder (bench/save_floor): the least a save costs
#   inih_parse   libinih's parse of the same bytes: the least a load costs
#   normalize    quarvel-cfg normalize (load and save)
#   check        quarvel-cfg check (load, faults, findings)
#   diff         quarvel-cfg diff of the saved file with LF line ends, so
#                that every line differs
#   findings     quarvel-cfg check of a file of about the same size whose
#                every section has a comment, an unknown key, a replaced
#                value, a repeated key and a repeated section; and of a file
#                a tenth of its size, for the growth per 10x
#
# The commands run interleaved, so that a busy machine slows all of them
# alike; printed are the median and fastest wall time of each, then the
# ratios: normalize/floor, check/inih_parse, findings time per 10x the file,
# and the peak memory (from /usr/bin/time) of normalize, check, diff and the
# findings check as a multiple of their input file.
#
#   bench/compare-processes.sh BUILD_DIR [N] [RUNS] [OTHER_QUARVEL_CFG]
#
# Then the start of the programs: quarvel-cfg get and --version on a file of
# 13 KB against grep -m1 of the same key; and, where the build has the editor
# (configure it with -DQUARVEL_GUI=ON), quarvel --smoke of that file against
# bench/bare_window, a bare Qt window of five tabs shown and closed the same
# way (both offscreen).
#
# Then, where DCMTK's print SCP and echoscu are installed, 50 echoes of
# quarvel-cfg against 50 of echoscu and one test film (see the end).
#
# BUILD_DIR is a build with -DQUARVEL_BENCH=ON; OTHER_QUARVEL_CFG, when given,
# is a second quarvel-cfg (say, of an earlier commit) timed in the same run.
# The files go to TMPDIR (183 MB and more at a million sections).
set -euo pipefail
build="$1"
n="${2:-3334}"
runs="${3:-30}"
other="${4:-}"
cfg="$build/src/cli/quarvel-cfg"
inih="$build/bench/inih_parse"
floor="$build/bench/save_floor"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# N printers, N paper sizes and N header bitmaps.
site() {
    awk -v n="$1" 'BEGIN {
        print "[[[PRINTER]]]"; print "[[SETTINGS]]"
        for (i = 0; i < n; i++)
            printf "[Printer-%d]\nPrinterAETitle = PRINTER%d\nPrinterAddress = 10.0.%d.%d\nPrinterQueue = queue\n",
                   i + 1, i, int(i / 250), i % 250
        print "[[[CONFIGURATION]]]"; print "[[PAGE SIZE]]"
        for (i = 0; i < n; i++)
            printf "[Paper %d]\nSizeX = 595\nSizeY = 842\nHeaderName = HEADER%d\n", i, i
        print "[[[HEADER]]]"; print "[[STANDARD]]"
        for (i = 0; i < n; i++)
            printf "[HEADER%d]\nIncludeFile = header.bmp\n", i
    }'
}
site "$n" >"$work/raw.cfg"
"$cfg" normalize "$work/raw.cfg" "$work/in.cfg" >/dev/null
size=$(stat -c %s "$work/in.cfg")
tr -d '\r' <"$work/in.cfg" >"$work/lf.cfg"

# Findings on every line but the headers; SECTIONS sections of about 100
# bytes each.
findings() {
    awk -v n="$1" 'BEGIN {
        print "[[[CONFIGURATION]]]"; print "[[PAGE SIZE]]"
        for (i = 0; i < n; i++)
            printf "[Paper %d]\n; note\nColour = red\nSizeX = 595pt\nSizeX = 596\n[Paper %d]\nSizeY = 842\n", i, i
    }'
}
findings $((size / 100)) >"$work/findings.cfg"
findings $((size / 1000)) >"$work/findings10.cfg"
echo "file: $size bytes, $(grep -c '^\[' "$work/in.cfg") section headers; findings file:" \
    "$(stat -c %s "$work/findings.cfg") bytes; $runs runs"

labels=(floor inih_parse normalize check diff findings findings/10)
commands=("$floor $work/in.cfg $work/out.cfg" "$inih $work/in.cfg" "$cfg normalize $work/in.cfg $work/out.cfg"
    "$cfg check $work/in.cfg" "$cfg diff $work/lf.cfg" "$cfg check $work/findings.cfg"
    "$cfg check $work/findings10.cfg")
inputs=(in.cfg in.cfg in.cfg in.cfg lf.cfg findings.cfg findings10.cfg)
if [ -n "$other" ]; then
    labels+=("other normalize" "other check" "other diff" "other findings")
    commands+=("$other normalize $work/in.cfg $work/out.cfg" "$other check $work/in.cfg" "$other diff $work/lf.cfg"
        "$other check $work/findings.cfg")
    inputs+=(in.cfg in.cfg lf.cfg findings.cfg)
fi

declare -A times
for ((run = 0; run < runs; run++)); do
    for i in "${!commands[@]}"; do
        rm -f "$work"/out.*
        start=$EPOCHREALTIME
        ${commands[$i]} >/dev/null 2>&1 || true
        end=$EPOCHREALTIME
        times[$i]+="$(((${end/./} - ${start/./})))"$'\n'
    done
done

declare -A medians memories
for i in "${!commands[@]}"; do
    sorted=$(printf '%s' "${times[$i]}" | sort -n)
    medians[$i]=$(printf '%s\n' "$sorted" | sed -n "$(((runs + 1) / 2))p")
    fastest=$(printf '%s\n' "$sorted" | sed -n 1p) # sed reads it all: no SIGPIPE under pipefail
    memory=""
    if [ -x /usr/bin/time ]; then
        rm -f "$work"/out.*
        memories[$i]=$( (/usr/bin/time -f "%M" ${commands[$i]} 2>&1 >/dev/null || true) | tail -1)
        bytes=$(stat -c %s "$work/${inputs[$i]}")
        # The targets are of the form "a x the file + 8 MiB": the second
        # figure is that a.
        memory=$(awk -v k="${memories[$i]}" -v b="$bytes" \
            'BEGIN { printf "  peak %7.1f MiB = x%.2f file, x%.2f + 8 MiB", k / 1024, k * 1024 / b, (k - 8192) * 1024 / b }')
    fi
    awk -v l="${labels[$i]}" -v m="${medians[$i]}" -v f="$fastest" -v mem="$memory" \
        'BEGIN { printf "%-16s median %9.2f ms  fastest %9.2f ms%s\n", l, m / 1000, f / 1000, mem }'
done

ratio() {
    awk -v a="${medians[$2]}" -v b="${medians[$3]}" -v l="$1" 'BEGIN { printf "%-28s x%.2f\n", l, a / b }'
}
echo
ratio "normalize / floor" 2 0
ratio "check / inih_parse" 3 1
ratio "findings: time per 10x file" 5 6
if [ -n "$other" ]; then
    ratio "other normalize / floor" 7 0
    ratio "other check / inih_parse" 8 1
fi

# The reader's own figures, against its targets at a million sections:
# normalize within 2.5 x the floor, and the check of the findings file
# within 2 x that file + 8 MiB at its peak.
reader_peak() {
    [ -n "${memories[$2]:-}" ] || return 0
    awk -v l="$1" -v k="${memories[$2]}" -v b="$(stat -c %s "$work/findings.cfg")" \
        'BEGIN { printf "%-28s x%.2f file + 8 MiB (target x2.00)\n", l, (k - 8192) * 1024 / b }'
}
echo
echo "reader, $(grep -c '^\[' "$work/in.cfg") sections:"
awk -v a="${medians[2]}" -v b="${medians[0]}" \
    'BEGIN { printf "%-28s x%.2f (target x2.50)\n", "normalize / floor", a / b }'
reader_peak "findings check peak" 5
if [ -n "$other" ]; then
    awk -v a="${medians[7]}" -v b="${medians[0]}" \
        'BEGIN { printf "%-28s x%.2f\n", "other normalize / floor", a / b }'
    reader_peak "other findings check peak" 10
fi

# Times each command of the array named $1 $3 times, interleaved, and leaves
# the median wall time of each (µs) in the array named $2. Before each run
# the function named $4, when given, readies the files; with $5 = shell the
# command is a shell text (a loop), else a command line split at blanks.
interleave() {
    local -n cmds=$1 meds=$2
    local count=$3 prepare=${4:-} how=${5:-} run i start end
    local -A samples=()
    for ((run = 0; run < count; run++)); do
        for i in "${!cmds[@]}"; do
            [ -z "$prepare" ] || "$prepare"
            start=$EPOCHREALTIME
            if [ "$how" = shell ]; then
                bash -c "${cmds[$i]}" >/dev/null 2>&1 || true
            else
                QT_QPA_PLATFORM=offscreen ${cmds[$i]} >/dev/null 2>&1 || true
            fi
            end=$EPOCHREALTIME
            samples[$i]+="$(((${end/./} - ${start/./})))"$'\n'
        done
    done
    for i in "${!cmds[@]}"; do
        meds[$i]=$(printf '%s' "${samples[$i]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
    done
}

# One pass per edit: set on a file of about 10 MB against normalize (load
# and save) and check (load) of the same file: a change, and a value set to
# what it already is, which writes nothing.
site 18500 >"$work/raw10.cfg"
"$cfg" normalize "$work/raw10.cfg" "$work/ten.cfg" >/dev/null
edit_labels=(normalize set "set, unchanged" check)
edit_commands=("$cfg normalize $work/ten.cfg $work/out.cfg"
    "$cfg set $work/edit.cfg Printers[PRINTER5].PrinterQueue=other"
    "$cfg set $work/ten.cfg Printers[PRINTER5].PrinterQueue=queue" "$cfg check $work/ten.cfg")
# Each set starts from the same file.
fresh_edit() {
    rm -f "$work"/out.* "$work"/edit.*
    cp "$work/ten.cfg" "$work/edit.cfg"
}
declare -A edit_medians
interleave edit_commands edit_medians "$runs" fresh_edit
echo
echo "set: $(stat -c %s "$work/ten.cfg") bytes"
for i in "${!edit_commands[@]}"; do
    memory=""
    if [ -x /usr/bin/time ]; then
        fresh_edit
        k=$( (/usr/bin/time -f "%M" ${edit_commands[$i]} 2>&1 >/dev/null || true) | tail -1)
        memory=$(awk -v k="$k" -v b="$(stat -c %s "$work/ten.cfg")" 'BEGIN { printf "  peak %7.1f MiB = x%.2f file", k / 1024, k * 1024 / b }')
    fi
    awk -v l="${edit_labels[$i]}" -v m="${edit_medians[$i]}" -v mem="$memory" \
        'BEGIN { printf "%-16s median %9.2f ms%s\n", l, m / 1000, mem }'
done
awk -v a="${edit_medians[1]}" -v b="${edit_medians[0]}" 'BEGIN { printf "%-28s x%.2f\n", "set / normalize", a / b }'
awk -v a="${edit_medians[2]}" -v b="${edit_medians[3]}" 'BEGIN { printf "%-28s x%.2f\n", "unchanged set / check", a / b }'

# The start of the programs, on a file of 13 KB: what loading the program
# costs beside what it does.
awk 'BEGIN {
    print "[[[PRINTER]]]"; print "[[SETTINGS]]"
    for (i = 0; i < 34; i++)
        printf "[Printer-%d]\nPrinterAETitle = PRINTER%d\nPrinterAddress = 10.0.0.%d\nPrinterQueue = queue\n", i + 1, i, i
}' >"$work/small-raw.cfg"
"$cfg" normalize "$work/small-raw.cfg" "$work/small.cfg" >/dev/null
editor="$build/src/app/quarvel"
bare="$build/bench/bare_window"
start_labels=("grep -m1" "quarvel-cfg get" "quarvel-cfg --version")
start_commands=("grep -m1 ^ServerAETitle $work/small.cfg" "$cfg get $work/small.cfg ServerAETitle" "$cfg --version")
if [ -x "$editor" ] && [ -x "$bare" ]; then
    start_labels+=("bare_window" "quarvel --smoke FILE")
    start_commands+=("$bare" "$editor --smoke $work/small.cfg")
fi
declare -A start_medians
interleave start_commands start_medians "$runs"
echo
echo "start: file $(stat -c %s "$work/small.cfg") bytes; $runs runs"
for i in "${!start_commands[@]}"; do
    awk -v l="${start_labels[$i]}" -v m="${start_medians[$i]}" 'BEGIN { printf "%-22s median %9.2f ms\n", l, m / 1000 }'
done
start_ratio() {
    awk -v a="${start_medians[$2]}" -v b="${start_medians[$3]}" -v l="$1" 'BEGIN { printf "%-28s x%.2f\n", l, a / b }'
}
start_ratio "get / grep -m1" 1 0
start_ratio "--version / grep -m1" 2 0
if [ "${#start_commands[@]}" -gt 3 ]; then
    start_ratio "quarvel --smoke / bare_window" 4 3
else
    echo "editor: skipped (no $editor or $bare: configure the bench build with -DQUARVEL_GUI=ON)"
fi

# DICOM against DCMTK's print SCP of this machine, with DCMTK's own echoscu as
# the peer: 50 echoes each, and one test film, interleaved like the above.
# Skipped without dcmprscp and echoscu (tools/setup.sh installs dcmtk).
source "$(dirname "$0")/../tests/windows/print_scp.sh"
if command -v echoscu >/dev/null && start_print_scp "$work"; then
    trap 'kill "$print_scp_pid" 2>/dev/null; rm -rf "$work"' EXIT
    "$cfg" defaults "$work/dicom.cfg" >/dev/null
    "$cfg" set --allow-faults "$work/dicom.cfg" "Port=$print_scp_port" ServerAETitle=IHEFULL \
        "Printers[IHEFULL].PrinterAddress=127.0.0.1" >/dev/null
    dicom_labels=("50 x quarvel-cfg echo" "50 x echoscu" "quarvel-cfg filmtest")
    dicom_commands=("for i in \$(seq 50); do $cfg echo $work/dicom.cfg; done"
        "for i in \$(seq 50); do echoscu -aec IHEFULL 127.0.0.1 $print_scp_port; done"
        "$cfg filmtest $work/dicom.cfg IHEFULL")
    declare -A dicom_medians
    interleave dicom_commands dicom_medians $((runs < 5 ? runs : 5)) "" shell
    echo
    for i in "${!dicom_commands[@]}"; do
        awk -v l="${dicom_labels[$i]}" -v m="${dicom_medians[$i]}" \
            'BEGIN { printf "%-22s median %9.2f ms\n", l, m / 1000 }'
    done
    awk -v a="${dicom_medians[0]}" -v b="${dicom_medians[1]}" 'BEGIN { printf "%-28s x%.2f\n", "echo / echoscu", a / b }'
else
    echo "DICOM: skipped (no dcmprscp or echoscu)"
fi
