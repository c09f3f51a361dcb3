#!/usr/bin/env bash
# Builds a small demo disk (folders, files of several sizes and dates, a ZIP archive)
# below DIR and catalogs it into DIR/catalogs. Usage: make_demo.sh BUILD_DIR DIR
set -euo pipefail
BUILD_DIR=$1
DEMO=$2
TAVLOR="$BUILD_DIR/cli/tavlor"
rm -rf "$DEMO/disks"
mkdir -p "$DEMO/catalogs" "$DEMO/disks"

make_disk() { # name
  local root="$DEMO/disks/$1"
  mkdir -p "$root"
  echo "$root"
}

# A floppy-sized backup disk.
root=$(make_disk BACKUP1)
mkdir -p "$root/docs" "$root/photos/2019"
printf 'Notes of the year.\n' > "$root/docs/notes.txt"
head -c 410 /dev/zero | tr '\0' 'r' > "$root/readme.txt"
head -c 2100 /dev/urandom > "$root/photos/2019/a.gif"
head -c 3300 /dev/urandom > "$root/photos/cover.gif"
(cd "$root/photos" && zip -q -r ../pics.zip cover.gif 2019)
touch -d '1999-12-20 09:05:12' "$root/docs/notes.txt" "$root/docs"
touch -d '1999-12-22 08:00:02' "$root/readme.txt"
touch -d '1999-12-21 18:02:40' "$root/pics.zip"

# A project disk with a deeper tree.
root=$(make_disk PROJECTS)
for p in alpha beta gamma; do
  mkdir -p "$root/$p/src" "$root/$p/doc"
  for i in 1 2 3 4 5; do
    head -c $((i * 1500)) /dev/urandom > "$root/$p/src/module$i.cpp"
  done
  printf '# %s\n' "$p" > "$root/$p/doc/README.md"
  (cd "$root/$p" && zip -q -r "../$p-src.zip" src)
done
head -c 1234567 /dev/urandom > "$root/beta/data.bin"

for disk in BACKUP1 PROJECTS; do
  "$TAVLOR" catalog --label "$disk" --date "24 12 1999 10 30 0" --catalogs "$DEMO/catalogs" "$DEMO/disks/$disk"
done
