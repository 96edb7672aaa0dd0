#!/usr/bin/env bash
# Builds the reader fuzz target with clang and runs it for a bounded number
# of executions, seeded with the golden files and the inputs of earlier
# findings: tools/fuzz.sh [RUNS] [SEED]. A fixed seed keeps CI repeatable.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-100000}"
seed="${2:-1}"
CXX=clang++ tools/build.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARVEL_FUZZ=ON \
    -DQUARVEL_GUI=OFF -DQUARVEL_TESTS=OFF
corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
cp tests/golden/*.cfg fuzz/corpus/* "$corpus"/
build-fuzz/fuzz/reader_fuzz -runs="$runs" -seed="$seed" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix=build-fuzz/ "$corpus"
