#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  zlib1g-dev libminizip-dev libblkid-dev libsystemd-dev
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  xvfb xauth xdotool
  zip unzip e2fsprogs dosfstools util-linux mount coreutils
  ntfs-3g exfatprogs exfat-fuse btrfs-progs xfsprogs
  shared-mime-info desktop-file-utils xdg-utils libfile-mimeinfo-perl time
  dpkg-dev file groff-base man-db
  dbus-daemon
  libfuse3-dev fuse3 nlohmann-json3-dev libxxhash-dev jq bash-completion ccache
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  SUDO=""
  if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
