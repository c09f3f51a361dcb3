#!/usr/bin/env bash
# Sets up, builds and runs every benchmark, each beside a standard tool on the same
# data in the same run. Not part of the tests: the numbers depend on the machine.
#   scripts/bench.sh [TREE]   (the tree to catalog, default /usr)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
BUILD_DIR=${TAVLOR_BUILD_DIR:-build}

echo "== scanner: tavlor catalog beside find -printf"
bash bench/scan_bench.sh "${1:-/usr}" 5

echo
echo "== compare: tavlor compare of the tree against its fresh catalog beside find -printf"
bash bench/compare_bench.sh "${1:-/usr}" 5

echo
echo "== loader: a generated 1,000,000-entry catalog shaped like \"/\", and a real one of \"/\", beside wc -w"
REAL_CATALOG=${TMPDIR:-/tmp}/tavlor_bench_root.zar
"$BUILD_DIR/cli/tavlor" catalog --label ROOT --out "$REAL_CATALOG" / >/dev/null 2>&1 || true
"$BUILD_DIR/bench/load_bench" "$REAL_CATALOG"
rm -f "$REAL_CATALOG"

echo
echo "== the command line as a user meets it: whole processes beside wc -w (1,000,000 generated"
echo "   entries with spread dates, and catalogs of / and /usr; TAVLOR_BENCH_10M=1 adds 10,000,000)"
CLI_DIR=$(mktemp -d)
"$BUILD_DIR/bench/load_bench" --entries 1000000 --spread --write "$CLI_DIR/generated.zar"
"$BUILD_DIR/cli/tavlor" catalog --label ROOT --out "$CLI_DIR/root.zar" / >/dev/null 2>&1 || true
"$BUILD_DIR/cli/tavlor" catalog --label USR --out "$CLI_DIR/usr.zar" /usr >/dev/null 2>&1 || true
for catalog in generated root usr; do
  if [[ -s "$CLI_DIR/$catalog.zar" ]]; then bash bench/cli_bench.sh "$BUILD_DIR" "$CLI_DIR/$catalog.zar" 5; fi
done
if [[ -n "${TAVLOR_BENCH_10M:-}" ]]; then
  "$BUILD_DIR/bench/load_bench" --entries 10000000 --spread --write "$CLI_DIR/generated10m.zar"
  bash bench/cli_bench.sh "$BUILD_DIR" "$CLI_DIR/generated10m.zar" 3
fi
echo
echo "== a shelf: four catalogs of 1,000,000 generated entries, read together and one after the other"
bash bench/shelf_bench.sh "$BUILD_DIR" "$CLI_DIR/generated.zar" 4 5
rm -rf "$CLI_DIR"

echo
echo "== Find Files and Find Duplicate Files: the loader's 1,000,000 entries"
"$BUILD_DIR/bench/load_bench" --entries 1000000 --write "${TMPDIR:-/tmp}/tavlor_load_bench.zar"
bash bench/tools_bench.sh "$BUILD_DIR" "${TMPDIR:-/tmp}/tavlor_load_bench.zar"
rm -f "${TMPDIR:-/tmp}/tavlor_load_bench.zar"
if [[ -n "${TAVLOR_REAL_CATALOG:-}" ]]; then
  echo
  echo "== Find Files and Find Duplicate Files: $TAVLOR_REAL_CATALOG"
  bash bench/tools_bench.sh "$BUILD_DIR" "$TAVLOR_REAL_CATALOG"
fi

if [[ -x "$BUILD_DIR/app/gui_list_bench" || -x "$BUILD_DIR/gui_list_bench" ]]; then
  echo
  echo "== list pane: a folder of 200,000 files (offscreen)"
  # The first of the two places that holds it (ls of a missing one would fail the pipe).
  for GUI_BENCH in "$BUILD_DIR/app/gui_list_bench" "$BUILD_DIR/gui_list_bench"; do
    if [[ -x $GUI_BENCH ]]; then break; fi
  done
  QT_QPA_PLATFORM=offscreen "$GUI_BENCH"
  echo
  echo "== Open All Catalogs: three generated catalogs of 1,000,000 entries (offscreen)"
  GENERATED=${TMPDIR:-/tmp}/tavlor_open_all.zar
  "$BUILD_DIR/bench/load_bench" --entries 1000000 --write "$GENERATED"
  QT_QPA_PLATFORM=offscreen "$GUI_BENCH" --open-all "$GENERATED" 3
  rm -f "$GENERATED"
fi
