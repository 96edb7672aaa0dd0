#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a bounded number of
# executions, seeded with the golden files and the inputs of earlier
# findings: tools/fuzz.sh [READER_RUNS] [SAVE_RUNS] [SEED] [JSON_RUNS]. A fixed
# seed keeps CI repeatable.
set -euo pipefail
cd "$(dirname "$0")/.."
reader_runs="${1:-100000}"
save_runs="${2:-20000}"
seed="${3:-1}"
json_runs="${4:-20000}"
tools/build.sh fuzz
corpus="$(mktemp -d)"
json_corpus="$(mktemp -d)"
trap 'rm -rf "$corpus" "$json_corpus"' EXIT
cp tests/golden/*.cfg fuzz/corpus/* "$corpus"/
# The JSON target starts from the JSON form of the golden files.
for golden in tests/golden/*.cfg; do
    build-fuzz/src/cli/quarvel-cfg export "$golden" >"$json_corpus/$(basename "$golden" .cfg).json"
done
for target in reader_fuzz save_fuzz json_fuzz; do
    runs="$reader_runs"
    if [ "$target" = save_fuzz ]; then
        runs="$save_runs"
    elif [ "$target" = json_fuzz ]; then
        runs="$json_runs"
    fi
    echo "== $target: $runs runs"
    build-fuzz/fuzz/$target -runs="$runs" -seed="$seed" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix=build-fuzz/$target- "$(if [ "$target" = json_fuzz ]; then echo "$json_corpus"; else echo "$corpus"; fi)"
done
