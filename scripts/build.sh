#!/usr/bin/env bash
# Configures and builds the project into build/ (or $TAVLOR_BUILD_DIR).
# Extra arguments go to cmake's configure step, e.g. -DTAVLOR_SANITIZE=ON.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${TAVLOR_BUILD_DIR:-build}
GENERATOR=()
if command -v ninja >/dev/null 2>&1; then GENERATOR=(-G Ninja); fi
# A compiler cache, where one is installed, makes rebuilds of other checkouts cheap.
if command -v ccache >/dev/null 2>&1; then
  GENERATOR+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if [[ ! -f "$BUILD_DIR/CMakeCache.txt" ]]; then
  cmake -S . -B "$BUILD_DIR" "${GENERATOR[@]}" "$@"
elif (($#)); then
  cmake -S . -B "$BUILD_DIR" "$@"
fi
cmake --build "$BUILD_DIR" -j2
