#!/usr/bin/env bash
# Fails when a C++ file of the repository differs from .clang-format, or a
# Qt Designer form from the layout Qt Designer writes.
set -euo pipefail
cd "$(dirname "$0")/.."
formatter=$(command -v clang-format-14 || command -v clang-format)
git ls-files -z '*.cpp' '*.h' | xargs -0 "$formatter" --dry-run -Werror
git ls-files -z '*.ui' | xargs -0 python3 tools/format-ui.py --check
echo "format: clean"
