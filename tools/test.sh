#!/usr/bin/env bash
# Builds and runs every test: the full suite, the Windows build's tests
# under Wine, the core tests under the address and undefined-behaviour
# sanitizers, and a bounded fuzz run.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen

echo "== build and test"
tools/build.sh default
ctest --test-dir build --output-on-failure --timeout 300

echo "== Windows build (mingw-w64) and its tests under Wine"
tools/test-windows.sh

echo "== core tests with sanitizers"
tools/build.sh asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure --timeout 300

echo "== benchmarks build (run them with build-bench/bench/config_bench)"
tools/build.sh bench

echo "== bounded fuzz run"
tools/fuzz.sh 40000 30000
