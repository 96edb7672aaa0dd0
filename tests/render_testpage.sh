#!/bin/sh
# Renders the test page with Ghostscript on A4 and Letter; any PostScript
# error fails. Skipped (77) where Ghostscript is not installed.
command -v gs >/dev/null 2>&1 || { echo "Ghostscript not installed"; exit 77; }
for size in a4 letter; do
    out=$(gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage -sPAPERSIZE=$size -dFIXEDMEDIA "$1" 2>&1) || {
        echo "$out"; exit 1; }
    [ -z "$out" ] || { echo "$out"; exit 1; }
done
