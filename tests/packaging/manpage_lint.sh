#!/usr/bin/env bash
# Formats each manual page with groff's warnings on and fails on any warning
# or on a placeholder the build left in it: manpage_lint.sh PAGE...
set -uo pipefail
if ! command -v groff >/dev/null; then
    echo "groff is not installed; skipped"
    exit 77
fi
status=0
for page in "$@"; do
    warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
    if [[ -n $warnings ]]; then
        echo "FAIL: $page: $warnings"
        status=1
    fi
    if grep -n '@[A-Z_]*@' "$page"; then
        echo "FAIL: $page keeps a placeholder"
        status=1
    fi
done
((status == 0)) && echo "manual pages: clean"
exit $status
