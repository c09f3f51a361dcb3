#!/usr/bin/env bash
# Sets up the machine, builds everything, makes the demo catalogs and shows them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
BUILD_DIR=${TAVLOR_BUILD_DIR:-build}
DEMO="$PWD/$BUILD_DIR/demo"
bash scripts/make_demo.sh "$BUILD_DIR" "$DEMO"
echo
echo "== $DEMO/catalogs/BACKUP1.zar"
cat "$DEMO/catalogs/BACKUP1.zar"
if "$BUILD_DIR/cli/tavlor" --help | grep -q '^  ls '; then
  echo
  echo "== tavlor ls"
  "$BUILD_DIR/cli/tavlor" ls --catalogs "$DEMO/catalogs"
fi
