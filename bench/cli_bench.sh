#!/usr/bin/env bash
# The command line as a user runs it: whole processes of tavlor beside "LC_ALL=C wc -w"
# of the same catalog, run alternately in the same loop. Prints, per command, the median
# processor time (user + system) of each, their ratio, and the peak resident memory per
# entry of the catalog.
#   bench/cli_bench.sh BUILD_DIR CATALOG.zar [RUNS]
set -euo pipefail
BUILD_DIR=$1
CATALOG=$2
RUNS=${3:-5}
TAVLOR="$BUILD_DIR/cli/tavlor"
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT

entries=$("$TAVLOR" properties "$CATALOG" | awk '/^Contains:/ { print $2 + $4 + $6 }')
bytes=$(stat -c %s "$CATALOG")
echo "$CATALOG: $entries entries, $bytes bytes"

# One run: "CPU_SECONDS PEAK_KB" of the command.
measure() {
  /usr/bin/time -f "%U %S %M" -o "$OUT/time" "$@" > "$OUT/stdout" 2> /dev/null || true
  tail -n 1 "$OUT/time" | awk '{ printf "%.3f %d\n", $1 + $2, $3 }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

compare() {
  local name=$1
  shift
  : > "$OUT/wc"
  : > "$OUT/cmd"
  local peak=0 result
  for ((i = 0; i < RUNS; i++)); do
    measure env LC_ALL=C wc -w "$CATALOG" | cut -d' ' -f1 >> "$OUT/wc"
    result=$(measure "$@")
    echo "${result% *}" >> "$OUT/cmd"
    peak=${result#* }
  done
  local wc cmd lines
  wc=$(median < "$OUT/wc")
  cmd=$(median < "$OUT/cmd")
  lines=$(wc -l < "$OUT/stdout")
  awk -v n="$name" -v c="$cmd" -v w="$wc" -v p="$peak" -v e="$entries" -v l="$lines" 'BEGIN {
    printf "%-34s %6.3f s  wc -w %6.3f s  ratio %5.2f  peak %7.1f MB  %5.0f B/entry  %d lines\n",
           n, c, w, (w > 0 ? c / w : 0), p / 1024, p * 1024 / e, l }'
}

compare "properties" "$TAVLOR" properties "$CATALOG"
compare "ls (whole tree of the disk)" "$TAVLOR" ls "$CATALOG"
compare "find '*lo*.txt' (few hits)" "$TAVLOR" find "$CATALOG" '*lo*.txt'
compare "find '*.JPG' (many hits)" "$TAVLOR" find "$CATALOG" '*.JPG'
compare "dupes (names, sizes, dates)" "$TAVLOR" dupes "$CATALOG"
compare "html --single" "$TAVLOR" html --single "$CATALOG" "$OUT/page.htm"
