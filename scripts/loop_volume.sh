#!/usr/bin/env bash
# Runs a command with a real, labelled ext4 volume mounted, for trying the programs
# on a disk of their own without touching the machine's mounts.
#
#   scripts/loop_volume.sh [--size SIZE] LABEL COMMAND [ARGUMENTS...]
#
# Makes an ext4 image (default 32M) labelled LABEL in a temporary folder,
# attaches it to a loop device and mounts it inside a private mount namespace
# (unshare -m), so the mount is seen only by COMMAND and its children. COMMAND runs
# with TAVLOR_LOOP_MOUNT naming the mount point and TAVLOR_LOOP_DEVICE the device.
# Everything is removed afterwards, however COMMAND ends; its exit status is
# returned. Needs root. Example:
#   scripts/loop_volume.sh BACKUP1 sh -c 'cp -r ~/Documents "$TAVLOR_LOOP_MOUNT" &&
#       build/cli/tavlor catalog "$TAVLOR_LOOP_MOUNT"'
set -euo pipefail

size=32M
while (($#)); do
  case "$1" in
  --size) size=$2; shift 2 ;;
  *) break ;;
  esac
done
if (($# < 2)); then
  sed -n '4,9p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
fi
label=$1
shift
if [[ $(id -u) -ne 0 ]]; then
  echo "loop_volume.sh: needs root (loop devices and mount namespaces)" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tavlor-volume.XXXXXX")
device=""
cleanup() {
  [[ -n $device ]] && losetup -d "$device" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

truncate -s "$size" "$work/disk.img"
mkfs.ext4 -q -F -L "$label" "$work/disk.img"
device=$(losetup -f --show "$work/disk.img")
mkdir "$work/$label"

status=0
TAVLOR_LOOP_DEVICE=$device TAVLOR_LOOP_MOUNT="$work/$label" \
  unshare -m --propagation private sh -c 'mount "$TAVLOR_LOOP_DEVICE" "$TAVLOR_LOOP_MOUNT" && exec "$@"' sh "$@" ||
  status=$?
exit "$status"
