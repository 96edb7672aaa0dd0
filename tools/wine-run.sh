#!/usr/bin/env bash
# Runs a Windows program under Wine: tools/wine-run.sh PROGRAM.exe [ARGUMENTS...]
# The cross build's ctest runs every test program through this script.
#
# WINEPREFIX names the Wine folder; tools/test-windows.sh makes a fresh one
# for each test run. Without it, a prefix of this user under the temporary
# folder is made on first use and kept. Wine's own messages are off unless
# WINEDEBUG says otherwise.
set -euo pipefail

loader=""
for candidate in wine wine64 /usr/lib/wine/wine64; do
    if command -v "$candidate" >/dev/null 2>&1; then
        loader=$(command -v "$candidate")
        break
    fi
done
if [ -z "$loader" ]; then
    echo "wine-run: Wine is not installed (Debian: apt-get install wine64)" >&2
    exit 127
fi

export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/quarvel-wine-$(id -u)}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer dialog when the prefix is made.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec "$loader" "$@"
