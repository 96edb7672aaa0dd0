#!/usr/bin/env bash
# Builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
exec build/src/quarvel-cfg --help
