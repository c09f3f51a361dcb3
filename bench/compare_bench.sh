#!/usr/bin/env bash
# Compares a real tree with its fresh catalog ("tavlor compare", the catalogs loaded,
# the tree walked and every entry matched) beside find(1) walking the same tree
# (one lstat per entry, one line each) in the same run, warm cache, alternating, and
# prints the median wall times, their ratio and the peak memory of each.
#
#   bench/compare_bench.sh [TREE] [RUNS]       (default /usr and 5)
#   TAVLOR=path/to/tavlor bench/compare_bench.sh
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
mkdir "$WORK/catalogs" "$WORK/config"
export XDG_CONFIG_HOME=$WORK/config # no user settings: the same texts on every machine

# "elapsed-seconds peak-kilobytes cpu-seconds" of one command, its output into the file $OUT.
# Exit status 1 of tavlor compare means "something changed", not a failure.
measure() {
  local status=0
  /usr/bin/time -f "%e %M %U %S" -o "$WORK/time" "$@" >"$OUT" 2>"$WORK/stderr" || status=$?
  if ((status > 1)); then
    cat "$WORK/stderr" >&2
    return 1
  fi
  tail -1 "$WORK/time" | awk '{ print $1, $2, $3 + $4 }'
}
run_find() { OUT="$WORK/find.txt" measure find "$TREE" -xdev -printf '%y %s %T@ %p\n'; }
run_tavlor() {
  OUT="$WORK/report.txt" measure "$TAVLOR" compare --catalogs "$WORK/catalogs" --label BENCH --unit byte "$TREE"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

"$TAVLOR" catalog --label BENCH --catalogs "$WORK/catalogs" "$TREE" >/dev/null
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
differences=$(tr -d '\r' <"$WORK/report.txt" | awk '/Differences found/ { print $1 }')
find_time=$(cut -d' ' -f1 "$WORK/find.times" | median)
tavlor_time=$(cut -d' ' -f1 "$WORK/tavlor.times" | median)
find_mem=$(cut -d' ' -f2 "$WORK/find.times" | sort -n | tail -1)
tavlor_mem=$(cut -d' ' -f2 "$WORK/tavlor.times" | sort -n | tail -1)
# On a shared machine the processor time tells more than the wall time.
find_cpu=$(cut -d' ' -f3 "$WORK/find.times" | median)
tavlor_cpu=$(cut -d' ' -f3 "$WORK/tavlor.times" | median)

printf 'tree %s: %s entries (find), %s differences since its catalog, %s runs\n' \
  "$TREE" "$entries" "$differences" "$RUNS"
printf 'find           median %6.2f s (cpu %5.2f s)   peak %7d KB\n' "$find_time" "$find_cpu" "$find_mem"
printf 'tavlor compare median %6.2f s (cpu %5.2f s)   peak %7d KB\n' "$tavlor_time" "$tavlor_cpu" "$tavlor_mem"
awk -v t="$tavlor_time" -v f="$find_time" -v tc="$tavlor_cpu" -v fc="$find_cpu" \
  'BEGIN { printf "ratio tavlor compare/find %.2f wall, %.2f cpu (target at most 1.0)\n", (f > 0 ? t / f : 0), (fc > 0 ? tc / fc : 0) }'
