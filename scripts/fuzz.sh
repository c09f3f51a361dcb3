#!/usr/bin/env bash
# Fuzzes the catalog loader with libFuzzer for a bounded time (default 60 seconds):
#   bash scripts/fuzz.sh [SECONDS]
# New interesting inputs go to a work folder, never into the seed corpus. A crashing
# input is written to fuzz/crashes/; keep it there: the test command replays that
# folder (fuzz_corpus_replay) under the sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN=${1:-60}
OUT=${TAVLOR_FUZZ_DIR:-build-fuzz}
mkdir -p "$OUT/work"
CXX=${CXX_FUZZ:-clang++}
"$CXX" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -Iapp -I. fuzz/load_fuzzer.cpp app/model/[a-z]*.cpp platform/message_box.cpp \
  -o "$OUT/load_fuzzer"
"$OUT/load_fuzzer" -max_total_time="$SECONDS_TO_RUN" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix=fuzz/crashes/ "$OUT/work" fuzz/corpus
