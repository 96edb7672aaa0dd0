#!/usr/bin/env bash
# Fails when a C++ file of the repository differs from .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
formatter=$(command -v clang-format-14 || command -v clang-format)
git ls-files -z '*.cpp' '*.h' | xargs -0 "$formatter" --dry-run -Werror
echo "format: clean"
