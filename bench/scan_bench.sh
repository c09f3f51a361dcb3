#!/usr/bin/env bash
# Catalogs a real tree with "tavlor catalog" beside find(1) doing the same walk
# (one lstat per entry, one line each) in the same run, alternating, and prints the
# median wall and CPU (user + system) times, their ratios and the peak memory of
# each. On a machine shared with other work the wall time mostly measures waiting for
# a processor; the CPU time is the steadier figure then. The share of the processors
# that stood idle during the runs is printed too: the scanner's second thread can only
# shorten the wall time where a processor is free for it.
#
#   bench/scan_bench.sh [TREE] [RUNS]       (default /usr and 5)
#   COLD=1 bench/scan_bench.sh [TREE] [RUNS] (as root: caches dropped before each run)
#   ONE_THREAD=1 bench/scan_bench.sh        (also the scan on one thread, alternating)
#   TAVLOR=path/to/tavlor bench/scan_bench.sh
#
# Not a test: the numbers depend on the machine and on what else runs on it.
set -euo pipefail
cd "$(dirname "$0")/.."
TREE=${1:-/usr}
RUNS=${2:-5}
COLD=${COLD:-0}
ONE_THREAD=${ONE_THREAD:-0}
TAVLOR=${TAVLOR:-${TAVLOR_BUILD_DIR:-build}/cli/tavlor}
[[ -x $TAVLOR ]] || { echo "no tavlor at $TAVLOR (build it, or set TAVLOR)" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 2; }
if ((COLD)) && [[ ! -w /proc/sys/vm/drop_caches ]]; then
  echo "COLD=1 needs root (it writes /proc/sys/vm/drop_caches)" >&2
  exit 2
fi

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# "idle total" jiffies of all processors so far.
cpu_jiffies() { awk '/^cpu / { t = 0; for (i = 2; i <= NF; i++) t += $i; print $5 + $6, t }' /proc/stat; }

# "elapsed-seconds user-seconds system-seconds peak-kilobytes idle-percent" of one
# command, its output into the file $OUT.
measure() {
  if ((COLD)); then
    sync
    echo 3 >/proc/sys/vm/drop_caches
  fi
  local before after
  before=$(cpu_jiffies)
  /usr/bin/time -f "%e %U %S %M" -o "$WORK/time" "$@" >"$OUT" 2>"$WORK/stderr" || {
    cat "$WORK/stderr" >&2
    return 1
  }
  after=$(cpu_jiffies)
  printf '%s %s\n' "$(cat "$WORK/time")" \
    "$(awk -v b="$before" -v a="$after" 'BEGIN { split(b, x, " "); split(a, y, " "); d = y[2] - x[2];
      printf "%.0f", (d > 0 ? 100 * (y[1] - x[1]) / d : 0) }')"
}
run_find() { OUT="$WORK/find.txt" measure find "$TREE" -xdev -printf '%y %s %T@ %p\n'; }
run_tavlor() {
  OUT=/dev/null measure "$TAVLOR" catalog --label BENCH --date "1 1 2000 0 0 0" --out "$WORK/bench.zar" "$TREE"
}
run_tavlor1() {
  OUT=/dev/null measure env TAVSCAN_READ_AHEAD=0 "$TAVLOR" catalog --label BENCH --date "1 1 2000 0 0 0" \
    --out "$WORK/bench1.zar" "$TREE"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Warm the cache with one run of each, not counted.
if ((!COLD)); then
  run_find >/dev/null
  run_tavlor >/dev/null
fi

: >"$WORK/find.times"
: >"$WORK/tavlor.times"
: >"$WORK/tavlor1.times"
for ((i = 1; i <= RUNS; i++)); do
  run_find >>"$WORK/find.times"
  run_tavlor >>"$WORK/tavlor.times"
  if ((ONE_THREAD)); then run_tavlor1 >>"$WORK/tavlor1.times"; fi
done
# The two walks write the same catalog (the free space on the root line aside).
if ((ONE_THREAD)) && ! cmp -s <(tail -n +6 "$WORK/bench.zar") <(tail -n +6 "$WORK/bench1.zar"); then
  echo "the catalogs of the two walks differ" >&2
  exit 1
fi

entries=$(wc -l <"$WORK/find.txt")
catalog_lines=$(wc -l <"$WORK/bench.zar")
wall() { cut -d' ' -f1 "$1" | median; }
cpu() { awk '{ print $2 + $3 }' "$1" | median; }
peak() { cut -d' ' -f4 "$1" | sort -n | tail -1; }
idle() { cut -d' ' -f5 "$1" | median; }
# The scanner holds one folder's file lines at a time per level of the path it is
# in; the largest folder tells what that may cost.
largest=$(awk '{ sub(/\/[^\/]*$/, "", $4); n[$4]++ } END { m = 0; for (d in n) if (n[d] > m) m = n[d]; print m }' \
  "$WORK/find.txt")

printf 'tree %s: %s entries (find), %s catalog lines, largest folder %s entries, %s runs, %s cache\n' \
  "$TREE" "$entries" "$catalog_lines" "$largest" "$RUNS" "$( ((COLD)) && echo cold || echo warm)"
line() {
  printf '%-8s median wall %6.2f s  cpu %6.2f s   peak %7d KB   processors idle %3d%%\n' "$1" "$(wall "$2")" \
    "$(cpu "$2")" "$(peak "$2")" "$(idle "$2")"
}
ratio() {
  awk -v name="$1" -v t="$(wall "$2")" -v f="$(wall "$WORK/find.times")" \
    -v tc="$(cpu "$2")" -v fc="$(cpu "$WORK/find.times")" -v cold="$COLD" 'BEGIN {
    printf "ratio %s/find wall %.2f, cpu %.2f (%s)\n", name, (f > 0 ? t / f : 0), (fc > 0 ? tc / fc : 0),
      cold ? "cold cache: target at most 1.0" : "warm cache: target at most 0.6"
  }'
}
line find "$WORK/find.times"
line tavlor "$WORK/tavlor.times"
if ((ONE_THREAD)); then line tavlor1 "$WORK/tavlor1.times"; fi
ratio tavlor "$WORK/tavlor.times"
if ((ONE_THREAD)); then ratio tavlor1 "$WORK/tavlor1.times"; fi
