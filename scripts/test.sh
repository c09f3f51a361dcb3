#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
BUILD_DIR=${TAVLOR_BUILD_DIR:-build}
# Tests never touch the user's settings or catalogs.
export XDG_CONFIG_HOME="$PWD/$BUILD_DIR/test-config"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_CONFIG_HOME"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2 "$@"
