#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a bounded number of
# executions, seeded with the golden files and the inputs of earlier
# findings: tools/fuzz.sh [READER_RUNS] [SAVE_RUNS] [SEED] [JSON_RUNS]. A fixed
# seed keeps CI repeatable. The JSON target also gets the hostile seeds of
# fuzz/json-corpus and the tokens of fuzz/json.dict (deep nesting, numbers no
# double holds, keys given twice).
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
cp fuzz/json-corpus/* "$json_corpus"/
for target in reader_fuzz save_fuzz json_fuzz; do
    runs="$reader_runs"
    target_corpus="$corpus"
    dict=()
    if [ "$target" = save_fuzz ]; then
        runs="$save_runs"
    elif [ "$target" = json_fuzz ]; then
        runs="$json_runs"
        target_corpus="$json_corpus"
        dict=(-dict=fuzz/json.dict)
    fi
    echo "== $target: $runs runs"
    build-fuzz/fuzz/$target -runs="$runs" -seed="$seed" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
        ${dict[@]+"${dict[@]}"} -artifact_prefix=build-fuzz/$target- "$target_corpus"
done
