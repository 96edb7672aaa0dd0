#!/usr/bin/env bash
# The programs link no DCMTK; only the DICOM plugin does. A file links DCMTK
# when its dynamic imports name one of DCMTK's libraries (objdump -p: an ELF
# file's NEEDED entries, a PE file's "DLL Name" lines; on Linux also what
# ldd resolves, at any depth) or when DCMTK's code is linked in statically
# (its implementation version name "OFFIS_DCMTK" is in the file). The
# plugin must be seen to link it, so that the test is known to see DCMTK
# where it is.
#
#   no_dcmtk_linked.sh OBJDUMP PLUGIN PROGRAM...
set -euo pipefail
objdump="$1"
plugin="$2"
shift 2
library='(^|[^A-Za-z0-9])(lib)?(dcm[a-z0-9]*|oflog|ofstd|i2d)([.-][^ ]*)?$'

# What of DCMTK the file links, one line each; nothing when it links none.
dcmtk_in()
{
    local file="$1"
    "$objdump" -p "$file" | awk '$1 == "NEEDED" { print $2 } /DLL Name:/ { print $3 }' | grep -E "$library" || true
    if command -v ldd >/dev/null && "$objdump" -p "$file" | grep -q NEEDED; then
        ldd "$file" | awk '{ print $1 }' | grep -E "$library" | sed 's/^/ldd: /' || true
    fi
    if grep -aq OFFIS_DCMTK "$file"; then
        echo "DCMTK's code linked in"
    fi
}

failures=0
[ -n "$(dcmtk_in "$plugin")" ] || {
    echo "FAIL: the plugin $plugin shows no DCMTK: the test cannot tell"
    failures=$((failures + 1))
}
for program in "$@"; do
    found=$(dcmtk_in "$program" | tr '\n' ' ')
    if [ -n "$found" ]; then
        echo "FAIL: $program links DCMTK: $found"
        failures=$((failures + 1))
    else
        echo "$program: no DCMTK"
    fi
done
exit $((failures > 0))
