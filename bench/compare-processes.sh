#!/usr/bin/env bash
# Times whole processes over one generated file of N printers, N paper sizes
# and N header bitmaps (3 N sections): quarvel-cfg normalize (load and save)
# and check (load) against libinih's parse of the same bytes, interleaved so
# that a busy machine slows all of them alike. Prints the median and the
# fastest wall time of each, the ratio of the medians to libinih's, and the
# peak memory of each where /usr/bin/time is installed.
#
#   bench/compare-processes.sh BUILD_DIR [N] [RUNS] [OTHER_QUARVEL_CFG]
#
# BUILD_DIR is a build with -DQUARVEL_BENCH=ON; OTHER_QUARVEL_CFG, when given,
# is a second quarvel-cfg (say, of an earlier commit) timed in the same run.
set -euo pipefail
build="$1"
n="${2:-3334}"
runs="${3:-30}"
other="${4:-}"
cfg="$build/src/cli/quarvel-cfg"
inih="$build/bench/inih_parse"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

awk -v n="$n" 'BEGIN {
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
}' >"$work/raw.cfg"
"$cfg" normalize "$work/raw.cfg" "$work/in.cfg" >/dev/null
echo "file: $(stat -c %s "$work/in.cfg") bytes, $(grep -c '^\[' "$work/in.cfg") section headers, $runs runs"

labels=(inih_parse "normalize" "check")
commands=("$inih $work/in.cfg" "$cfg normalize $work/in.cfg $work/out.cfg" "$cfg check $work/in.cfg")
if [ -n "$other" ]; then
    labels+=("other normalize" "other check")
    commands+=("$other normalize $work/in.cfg $work/out.cfg" "$other check $work/in.cfg")
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

baseline=""
for i in "${!commands[@]}"; do
    sorted=$(printf '%s' "${times[$i]}" | sort -n)
    median=$(printf '%s\n' "$sorted" | sed -n "$(((runs + 1) / 2))p")
    fastest=$(printf '%s\n' "$sorted" | head -1)
    baseline=${baseline:-$median}
    memory=""
    if [ -x /usr/bin/time ]; then
        rm -f "$work"/out.*
        memory=$( (/usr/bin/time -f "%M" ${commands[$i]} 2>&1 >/dev/null || true) | tail -1)
        memory=" peak ${memory} KB"
    fi
    awk -v l="${labels[$i]}" -v m="$median" -v f="$fastest" -v b="$baseline" -v mem="$memory" \
        'BEGIN { printf "%-16s median %8.2f ms  fastest %8.2f ms  x%.2f%s\n", l, m / 1000, f / 1000, m / b, mem }'
done
