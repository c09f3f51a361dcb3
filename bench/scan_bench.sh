#!/usr/bin/env bash
# Catalogs a real tree with "tavlor catalog" beside find(1) doing the same walk
# (one lstat per entry, one line each) in the same run, warm cache, alternating,
# and prints the median wall times, their ratio and the peak memory of each.
#
#   bench/scan_bench.sh [TREE] [RUNS]       (default /usr and 5)
#   TAVLOR=path/to/tavlor bench/scan_bench.sh
#
# Not a test: the numbers depend on the machine and on what else runs on it.
set -euo pipefail
cd "$(dirname "$0")/.."
TREE=${1:-/usr}
RUNS=${2:-5}
TAVLOR=${TAVLOR:-${TAVLOR_BUILD_DIR:-build}/cli/tavlor}
[[ -x $TAVLOR ]] || { echo "no tavlor at $TAVLOR (build it, or set TAVLOR)" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 2; }

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# "elapsed-seconds peak-kilobytes" of one command, its output into the file $OUT.
measure() {
  /usr/bin/time -f "%e %M" -o "$WORK/time" "$@" >"$OUT" 2>"$WORK/stderr" || {
    cat "$WORK/stderr" >&2
    return 1
  }
  cat "$WORK/time"
}
run_find() { OUT="$WORK/find.txt" measure find "$TREE" -xdev -printf '%y %s %T@ %p\n'; }
run_tavlor() {
  OUT=/dev/null measure "$TAVLOR" catalog --label BENCH --date "1 1 2000 0 0 0" --out "$WORK/bench.zar" "$TREE"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Warm the cache with one run of each, not counted.
run_find >/dev/null
run_tavlor >/dev/null

: >"$WORK/find.times"
: >"$WORK/tavlor.times"
for ((i = 1; i <= RUNS; i++)); do
  run_find >>"$WORK/find.times"
  run_tavlor >>"$WORK/tavlor.times"
done

entries=$(wc -l <"$WORK/find.txt")
catalog_lines=$(wc -l <"$WORK/bench.zar")
find_time=$(cut -d' ' -f1 "$WORK/find.times" | median)
tavlor_time=$(cut -d' ' -f1 "$WORK/tavlor.times" | median)
find_mem=$(cut -d' ' -f2 "$WORK/find.times" | sort -n | tail -1)
tavlor_mem=$(cut -d' ' -f2 "$WORK/tavlor.times" | sort -n | tail -1)
# The scanner holds one folder's file lines at a time per level of the path it is
# in; the largest folder tells what that may cost.
largest=$(awk '{ sub(/\/[^\/]*$/, "", $4); n[$4]++ } END { m = 0; for (d in n) if (n[d] > m) m = n[d]; print m }' \
  "$WORK/find.txt")

printf 'tree %s: %s entries (find), %s catalog lines, largest folder %s entries, %s runs\n' \
  "$TREE" "$entries" "$catalog_lines" "$largest" "$RUNS"
printf 'find   median %6.2f s   peak %7d KB\n' "$find_time" "$find_mem"
printf 'tavlor median %6.2f s   peak %7d KB\n' "$tavlor_time" "$tavlor_mem"
awk -v t="$tavlor_time" -v f="$find_time" 'BEGIN { printf "ratio tavlor/find %.2f (target at most 1.0, goal 0.6)\n", (f > 0 ? t / f : 0) }'
