#!/usr/bin/env bash
# The command line as a user runs it: whole processes of tavlor beside "LC_ALL=C wc -w"
# of the same catalog, run alternately in the same loop. Prints, per command, the median
# processor time (user + system) of each, their ratio, the peak resident memory, and
# that peak per entry beyond what the process takes on an empty catalog; and, beside the
# load, what writing the command's output alone costs: "cat" of that output into a file.
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
# The process's own memory (program, libraries) is measured on an empty catalog and
# left out of the figure per entry.
printf 'zar_version_1_1\r\n< \r\n   %%drivetype fixed\r\n> \r\n + "EMPTY" 0 0 1 1 2020 0 0 0\r\n < \r\n > \r\n' \
  > "$OUT/empty.zar"
baseline=$("$TAVLOR" properties "$OUT/empty.zar" > /dev/null; python3 -c '
import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' "$TAVLOR" properties "$OUT/empty.zar")
echo "$CATALOG: $entries entries, $bytes bytes; the process alone peaks at $((baseline / 1024)) MB"

# One run: "CPU_SECONDS USER_SECONDS PEAK_KB" of the command, its standard output into the file named
# first, from the kernel's account of the child (microseconds; /usr/bin/time rounds to
# hundredths).
measure_into() {
  python3 - "$@" <<'PY'
import resource, subprocess, sys
# The interpreter may have had children of its own before this one.
before = resource.getrusage(resource.RUSAGE_CHILDREN)
with open(sys.argv[1], "wb") as out:
    # A command that crashes or is refused is no figure: the bench stops (dupes and find
    # exit with 1 when they find nothing).
    if subprocess.run(sys.argv[2:], stdout=out, stderr=subprocess.DEVNULL).returncode not in (0, 1):
        sys.exit("failed: " + " ".join(sys.argv[2:]))
usage = resource.getrusage(resource.RUSAGE_CHILDREN)
cpu = usage.ru_utime + usage.ru_stime - before.ru_utime - before.ru_stime
print("%.4f %.4f %d" % (cpu, usage.ru_utime - before.ru_utime, usage.ru_maxrss))
PY
}
measure() { measure_into "$OUT/stdout" "$@"; }

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# compare NAME COMMAND...: the command beside wc -w. The output measured for "out" is
# the command's standard output, or the file in OUTPUT_FILE when that is set.
compare() {
  local name=$1
  shift
  : > "$OUT/wc"
  : > "$OUT/cmd"
  : > "$OUT/user"
  local peak=0 result
  for ((i = 0; i < RUNS; i++)); do
    measure env LC_ALL=C wc -w "$CATALOG" | cut -d' ' -f1 >> "$OUT/wc"
    # WARM=1: the command once unmeasured first, so the measured run takes memory the
    # machine has just had in use (see the README on memory handed back to the host).
    if [[ ${WARM:-0} == 1 ]]; then measure "$@" > /dev/null; fi
    result=$(measure "$@")
    echo "$result" | cut -d' ' -f1 >> "$OUT/cmd"
    echo "$result" | cut -d' ' -f2 >> "$OUT/user"
    peak=$(echo "$result" | cut -d' ' -f3)
  done
  local wc cmd user lines output=${OUTPUT_FILE:-$OUT/stdout}
  wc=$(median < "$OUT/wc")
  cmd=$(median < "$OUT/cmd")
  user=$(median < "$OUT/user")
  lines=$(wc -l < "$output")
  : > "$OUT/cat"
  for ((i = 0; i < RUNS; i++)); do
    measure_into "$OUT/copy" cat "$output" | cut -d' ' -f1 >> "$OUT/cat"
  done
  local written
  written=$(median < "$OUT/cat")
  # The load alone is "properties": the other commands are also put beside it.
  if [[ $name == properties ]]; then load=$cmd; loadUser=$user; fi
  awk -v n="$name" -v c="$cmd" -v w="$wc" -v p="$peak" -v b="$baseline" -v e="$entries" -v l="$lines" \
      -v load="$load" -v o="$written" -v u="$user" -v lu="$loadUser" 'BEGIN {
    printf "%-30s %6.3f s  wc -w %6.3f s  ratio %5.2f  x load %5.2f  user x load %5.2f  peak %7.1f MB  %5.0f B/entry  %d lines  out x load %4.2f\n",
           n, c, w, (w > 0 ? c / w : 0), (load > 0 ? c / load : 0), (lu > 0 ? u / lu : 0), p / 1024, (p - b) * 1024 / e, l,
           (load > 0 ? o / load : 0) }'
}
load=0
loadUser=0

compare "properties" "$TAVLOR" properties "$CATALOG"
compare "ls" "$TAVLOR" ls "$CATALOG"
compare "find '*lo*.txt' (few hits)" "$TAVLOR" find "$CATALOG" '*lo*.txt'
compare "find '*.JPG' (many hits)" "$TAVLOR" find "$CATALOG" '*.JPG'
# Every entry: a report of real names and paths as long as the catalog itself (left out
# above two million entries, where its report alone would fill gigabytes).
if ((entries <= 2000000)); then compare "find '*' (every entry)" "$TAVLOR" find "$CATALOG" '*'; fi
compare "dupes (names, sizes, dates)" "$TAVLOR" dupes "$CATALOG"
OUTPUT_FILE="$OUT/page.htm" compare "html --single" "$TAVLOR" html --single "$CATALOG" "$OUT/page.htm"
