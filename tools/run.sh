#!/usr/bin/env bash
# Builds the editor and starts it in the folder that holds testpage.ps, where
# the test page and its log are looked for.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh default
cd build/src
exec ./app/quarvel "$@"
