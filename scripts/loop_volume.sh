#!/usr/bin/env bash
# Runs a command with a real, labelled volume mounted, for trying the programs on a
# disk of their own without touching the machine's mounts.
#
#   scripts/loop_volume.sh [--size SIZE] [--fs TYPE] LABEL COMMAND [ARGUMENTS...]
#
# Makes an image labelled LABEL with the filesystem TYPE (ext4, the default, btrfs,
# xfs, or exfat and ntfs, mounted through FUSE as USB disks are) in a temporary folder,
# attaches it to a loop device and mounts it inside a private mount namespace
# (unshare -m), so the mount is seen only by COMMAND and its children. COMMAND runs
# with TAVLOR_LOOP_MOUNT naming the mount point and TAVLOR_LOOP_DEVICE the device.
# Everything is removed afterwards, however COMMAND ends; its exit status is
# returned. Needs root. Example:
#   scripts/loop_volume.sh BACKUP1 sh -c 'cp -r ~/Documents "$TAVLOR_LOOP_MOUNT" &&
#       build/cli/tavlor catalog "$TAVLOR_LOOP_MOUNT"'
set -euo pipefail

size=""
fs=ext4
while (($#)); do
  case "$1" in
  --size) size=$2; shift 2 ;;
  --fs) fs=$2; shift 2 ;;
  *) break ;;
  esac
done
case "$fs" in
ext4 | exfat | ntfs) size=${size:-32M} ;;
btrfs) size=${size:-128M} ;; # the smallest a default btrfs is made on
xfs) size=${size:-300M} ;;   # likewise for xfs
*) fs="" ;;
esac
if (($# < 2)) || [[ -z $fs ]]; then
  sed -n '4,11p' "$0" | sed 's/^# \{0,1\}//' >&2
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

image=$work/disk.img
truncate -s "$size" "$image"
case "$fs" in
ext4) mkfs.ext4 -q -F -L "$label" "$image" ;;
btrfs) mkfs.btrfs -q -L "$label" "$image" >/dev/null ;;
xfs) mkfs.xfs -q -L "$label" "$image" ;;
exfat) mkfs.exfat -L "$label" "$image" >/dev/null ;;
ntfs) mkfs.ntfs -q -F -f -L "$label" "$image" >/dev/null 2>&1 ;;
esac
device=$(losetup -f --show "$image")
# The mount point is named after the label where a folder can be.
mountPoint=$work/$label
mkdir "$mountPoint" 2>/dev/null || { mountPoint=$work/volume && mkdir "$mountPoint"; }
case "$fs" in
exfat) mounter=mount.exfat-fuse ;;
ntfs) mounter=ntfs-3g ;;
*) mounter=mount ;;
esac

# Unmounted before the namespace ends: a FUSE daemon would otherwise keep it, and the
# device, alive.
status=0
TAVLOR_LOOP_DEVICE=$device TAVLOR_LOOP_MOUNT=$mountPoint TAVLOR_LOOP_MOUNTER=$mounter \
  unshare -m --propagation private sh -c '
    $TAVLOR_LOOP_MOUNTER "$TAVLOR_LOOP_DEVICE" "$TAVLOR_LOOP_MOUNT" >/dev/null || exit 1
    "$@"
    status=$?
    umount "$TAVLOR_LOOP_MOUNT"
    exit $status' sh "$@" ||
  status=$?
exit "$status"
