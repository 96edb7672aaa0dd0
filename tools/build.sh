#!/usr/bin/env bash
# Configures and builds the tree of one preset of CMakePresets.json, where
# the options of each tree are kept: tools/build.sh PRESET [cmake options...]
# (default, asan, bench, windows, fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."
preset="$1"
shift
cmake --preset "$preset" "$@" >/dev/null
cmake --build --preset "$preset" --parallel "$(nproc)"
