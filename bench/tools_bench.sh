#!/usr/bin/env bash
# Find Files and Find Duplicate Files on a catalog: the searches in memory (find_bench)
# and "tavlor find" as a whole beside "tavlor properties", which loads the same catalog
# and does nothing more.
#   bench/tools_bench.sh BUILD_DIR CATALOG.zar [RUNS]
set -euo pipefail
BUILD_DIR=$1
CATALOG=$2
RUNS=${3:-5}
TAVLOR="$BUILD_DIR/cli/tavlor"

"$BUILD_DIR/bench/find_bench" "$CATALOG"

best() {
  local fastest=999999 start end elapsed
  for ((i = 0; i < RUNS; i++)); do
    start=$(date +%s%N)
    "$@" > /dev/null || true
    end=$(date +%s%N)
    elapsed=$(((end - start) / 1000000))
    ((elapsed < fastest)) && fastest=$elapsed
  done
  echo "$fastest"
}
# Alternating would be fairer on a busy machine; the best of several runs is close.
properties=$(best "$TAVLOR" properties "$CATALOG")
find=$(best "$TAVLOR" find "$CATALOG" '*.JPG')
echo "tavlor find '*.JPG' ${find} ms, tavlor properties ${properties} ms: ratio" \
  "$(awk -v a="$find" -v b="$properties" 'BEGIN { printf "%.2f", a / b }') (target at most 1.20)"
