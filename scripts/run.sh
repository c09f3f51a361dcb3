#!/usr/bin/env bash
# Sets up the machine, builds everything, makes the demo catalogs and starts Tavlor40.
#
# When your own settings name no catalogs folder (no "Tavlor" value), the program runs
# on a demo profile: a settings file of its own below the build folder, pointing at the
# demo catalogs with auto-load on. Your real settings and catalogs are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
BUILD_DIR=${TAVLOR_BUILD_DIR:-build}
BUILD_DIR=$(cd "$BUILD_DIR" && pwd)
DEMO="$BUILD_DIR/demo"
bash scripts/make_demo.sh "$BUILD_DIR" "$DEMO"

user_config="${XDG_CONFIG_HOME:-$HOME/.config}/Quorvale/Tavlor.conf"
if [[ -f "$user_config" ]] && grep -q '^Tavlor=' "$user_config"; then
  echo "Using your own settings: $user_config"
else
  # The program folder is the catalogs folder up to "Catalogs": the demo keeps its
  # catalogs in Tavlor/Catalogs so that Help Topics finds Tavlor/Help beside them.
  mkdir -p "$DEMO/Tavlor/Help" "$DEMO/profile/Quorvale"
  ln -sfn ../catalogs "$DEMO/Tavlor/Catalogs"
  cp app/help/Tavlor_help.htm "$DEMO/Tavlor/Help/"
  profile="$DEMO/profile/Quorvale/Tavlor.conf"
  if [[ ! -f "$profile" ]]; then
    printf '[General]\nTavlor=%s\nAutoLoadCatalogs=1\n' "$DEMO/Tavlor/Catalogs" > "$profile"
  fi
  export XDG_CONFIG_HOME="$DEMO/profile"
  echo "Demo profile: $profile"
fi

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo
  echo "There is no display to show Tavlor40 on. Start it under a virtual X server:"
  echo "  XDG_CONFIG_HOME=\"${XDG_CONFIG_HOME:-$HOME/.config}\" xvfb-run -a -s '-screen 0 1280x900x24' \"$BUILD_DIR/app/Tavlor40\""
  echo "or run this script again from a desktop session."
  exit 0
fi
exec "$BUILD_DIR/app/Tavlor40" "$@"
