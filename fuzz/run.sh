#!/bin/sh
# Runs one libFuzzer target for a while on a scratch copy of its seed corpus.
#   fuzz/run.sh BINARY SEED_CORPUS SECONDS ARTIFACT_DIR
# Exits 0 when the time ran out with nothing found, 1 on a crash, leak,
# sanitizer report or slow input (the input is kept in ARTIFACT_DIR), and
# 77 (a skip for ctest) when the target has not been built.
set -u
binary=$1
seeds=$2
seconds=$3
artifacts=$4
if [ ! -x "$binary" ]; then
    echo "fuzz: $binary is not built (tools/test.sh builds it in build/fuzz-build)"
    exit 77
fi
scratch=$(mktemp -d "${TMPDIR:-/tmp}/quorvo-fuzz-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$artifacts" "$scratch/corpus"
"$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$scratch/corpus" "$seeds" >"$scratch/log" 2>&1
status=$?
tail -n 60 "$scratch/log"
if [ "$status" -ne 0 ]; then
    echo "fuzz: $(basename "$binary") failed (status $status); replay the input above with:"
    echo "    $binary $artifacts/<crash-, leak- or timeout- file>"
    exit 1
fi
exit 0
