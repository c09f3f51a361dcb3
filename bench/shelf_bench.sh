#!/usr/bin/env bash
# A shelf of several catalogs as a user waits for it: whole processes of "tavlor
# properties" over a catalogs folder of COPIES copies of a catalog (each with a label of
# its own), reading the catalogs several at once (the default where the machine has the
# processors) and one after the other (TAVLOR_LOAD_THREADS=1), beside "LC_ALL=C wc -w"
# of the same files, alternating. Prints the median wall and processor time of each
# and the ratios of both; the reports of both ways must be the same.
#   bench/shelf_bench.sh BUILD_DIR CATALOG.zar [COPIES] [RUNS]
set -euo pipefail
BUILD_DIR=$1
CATALOG=$2
COPIES=${3:-4}
RUNS=${4:-5}
TAVLOR="$BUILD_DIR/cli/tavlor"
SHELF=$(mktemp -d)
trap 'rm -rf "$SHELF"' EXIT

python3 - "$CATALOG" "$SHELF" "$COPIES" <<'PY'
import re, sys
text = open(sys.argv[1], "rb").read()
# The disk's label is the first quoted name after the header.
match = re.search(rb'\+ "([^"]*)"', text)
for k in range(int(sys.argv[3])):
    copy = text[:match.start(1)] + b"SHELF%d" % k + text[match.end(1):]
    open("%s/SHELF%d.zar" % (sys.argv[2], k), "wb").write(copy)
PY

# One run: "WALL CPU" of the command, in seconds.
measure() {
  python3 - "$@" <<'PY'
import resource, subprocess, sys, time
before = resource.getrusage(resource.RUSAGE_CHILDREN)
start = time.monotonic()
if subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL).returncode != 0:
    sys.exit("failed: " + " ".join(sys.argv[1:]))
wall = time.monotonic() - start
usage = resource.getrusage(resource.RUSAGE_CHILDREN)
print("%.4f %.4f" % (wall, usage.ru_utime + usage.ru_stime - before.ru_utime - before.ru_stime))
PY
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

together=$(mktemp) inturn=$(mktemp) words=$(mktemp)
trap 'rm -rf "$SHELF" "$together" "$inturn" "$words"' EXIT
# The root's date is the time of the run: left out of the comparison.
if ! diff <("$TAVLOR" properties --catalogs "$SHELF" | grep -v '^Date:') \
  <(TAVLOR_LOAD_THREADS=1 "$TAVLOR" properties --catalogs "$SHELF" | grep -v '^Date:'); then
  echo "the two ways disagree" >&2
  exit 1
fi
for ((i = 0; i < RUNS; i++)); do
  # Each way goes first in every other pair: the second of a pair finds memory warmer.
  if ((i % 2)); then
    measure "$TAVLOR" properties --catalogs "$SHELF" >>"$together"
    measure env TAVLOR_LOAD_THREADS=1 "$TAVLOR" properties --catalogs "$SHELF" >>"$inturn"
  else
    measure env TAVLOR_LOAD_THREADS=1 "$TAVLOR" properties --catalogs "$SHELF" >>"$inturn"
    measure "$TAVLOR" properties --catalogs "$SHELF" >>"$together"
  fi
  measure env LC_ALL=C wc -w "$SHELF"/*.zar >>"$words"
done
line() {
  printf '%-34s wall %6.3f s  cpu %6.3f s\n' "$1" "$(cut -d' ' -f1 <"$2" | median)" "$(cut -d' ' -f2 <"$2" | median)"
}
echo "$COPIES catalogs of $(stat -c %s "$CATALOG") bytes, $(nproc) processors, $RUNS runs"
line "properties, catalogs together" "$together"
line "properties, one after the other" "$inturn"
line "wc -w of the same files" "$words"
awk -v t="$(cut -d' ' -f1 <"$together" | median)" -v o="$(cut -d' ' -f1 <"$inturn" | median)" \
  -v w="$(cut -d' ' -f1 <"$words" | median)" \
  'BEGIN { printf "wall: together %.2fx one after the other, %.2fx wc -w (one after the other %.2fx)\n", t / o, t / w, o / w }'
awk -v t="$(cut -d' ' -f2 <"$together" | median)" -v o="$(cut -d' ' -f2 <"$inturn" | median)" \
  -v w="$(cut -d' ' -f2 <"$words" | median)" \
  'BEGIN { printf "processor time: together %.2fx one after the other, %.2fx wc -w (one after the other %.2fx)\n", t / o, t / w, o / w }'
