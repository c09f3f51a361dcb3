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
echo "== loader: 1,000,000 entries beside cat"
"$BUILD_DIR/bench/load_bench"

if [[ -x "$BUILD_DIR/app/gui_list_bench" || -x "$BUILD_DIR/gui_list_bench" ]]; then
  echo
  echo "== list pane: a folder of 200,000 files (offscreen)"
  GUI_BENCH=$(ls "$BUILD_DIR/app/gui_list_bench" "$BUILD_DIR/gui_list_bench" 2>/dev/null | head -1)
  QT_QPA_PLATFORM=offscreen "$GUI_BENCH"
fi
