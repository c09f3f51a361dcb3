#!/usr/bin/env bash
# Checks the installation: `install_test.sh BUILD_DIR install` installs into a DESTDIR
# and checks the files, every desktop entry (desktop-file-validate) and the catalog
# type as the desktop sees it (xdg-mime); `install_test.sh BUILD_DIR package` builds
# the Debian package and checks its file list and dependencies.
set -euo pipefail
build=$(cd "$1" && pwd)
mode=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/tavlor-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# The generic desktop: xdg-mime and xdg-open decide by the shared MIME database.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID

# Every file the installation must hold, relative to the prefix.
expected_files() {
  echo bin/Tavlor40 bin/TavlorCatalog bin/tavlor include/Tavscan60.h
  echo share/tavlor/Help/Tavlor_help.htm share/applications/tavlor.desktop
  echo share/mime/packages/tavlor-catalog.xml share/nemo/actions/tavlor-catalog.nemo_action
  echo share/kio/servicemenus/tavlor-catalog.desktop share/tavlor/tavlor-catalog.uca.xml
  echo share/tavlor/Tavlor%Catalog share/tavlor/tavlor-user-actions
  echo share/man/man1/tavlor.1 share/man/man1/Tavlor40.1 share/man/man1/TavlorCatalog.1
  echo share/bash-completion/completions/tavlor
  for size in 16 22 24 32 48 64 128 256; do echo "share/icons/hicolor/${size}x${size}/apps/tavlor.png"; done
}

if [[ $mode == install ]]; then
  DESTDIR=$work/root cmake --install "$build" --prefix /usr >"$work/install.log"
  prefix=$work/root/usr
  for file in $(expected_files); do
    [[ -e $prefix/${file//%/ } ]] || fail "not installed: $file"
  done
  ls "$prefix"/lib*/libTavscan60.so.6 "$prefix"/lib*/*/libTavscan60.so.6 >/dev/null 2>&1 ||
    ls "$prefix"/lib/libTavscan60.so.6 >/dev/null 2>&1 || fail "libTavscan60.so.6 not installed"
  for size in 16 48 256; do
    file "$prefix/share/icons/hicolor/${size}x${size}/apps/tavlor.png" | grep -q "$size x $size" ||
      fail "icon of size $size has another size"
  done
  [[ -x "$prefix/share/kio/servicemenus/tavlor-catalog.desktop" ]] || fail "Dolphin's service menu is not executable"
  [[ -x "$prefix/share/tavlor/Tavlor Catalog" ]] || fail "GNOME Files script is not executable"
  # The installed programs find their library under the prefix they were installed to.
  "$prefix/bin/tavlor" --help >/dev/null || fail "installed tavlor does not run"
  # Neither the built nor the installed programs look for libraries in the folder they
  # are started from: an empty or relative search-path entry means the current folder.
  for binary in "$build"/cli/tavlor "$build"/app/Tavlor40 "$build"/plugin/TavlorCatalog \
    "$build"/lib*/libTavscan60.so.6 "$prefix"/bin/* "$prefix"/lib*/libTavscan60.so.6; do
    [[ -e $binary ]] || continue
    paths=$(readelf -d "$binary" | sed -n 's/.*R\(UN\)\?PATH.*\[\(.*\)\]$/\2/p')
    [[ -z $paths ]] && continue
    bad=0
    [[ ":$paths:" == *::* ]] && bad=1
    IFS=: read -r -a entries <<<"$paths"
    for entry in "${entries[@]}"; do
      [[ -z $entry || $entry == /* || $entry == '$ORIGIN'* ]] || bad=1
    done
    ((bad == 0)) || fail "$binary searches the current folder for libraries (search path '$paths')"
  done
  # A KDE service menu is Type=Service with the MimeType and Actions keys that KDE
  # reads; desktop-file-validate knows those keys for applications only and says so
  # for exactly these two lines. Anything else it says about any entry is a fault.
  while IFS= read -r -d '' entry; do
    out=$(desktop-file-validate "$entry" 2>&1) && continue
    if grep -qx 'Type=Service' "$entry"; then
      out=$(printf '%s\n' "$out" |
        grep -v -e 'key "MimeType" is present in group "Desktop Entry", but the type is "Service"' \
          -e 'key "Actions" is present in group "Desktop Entry", but the type is "Service"' || true)
    fi
    [[ -z $out ]] || fail "desktop-file-validate: $entry: $out"
  done < <(find "$work/root" -name '*.desktop' -print0)
  menu=$prefix/share/kio/servicemenus/tavlor-catalog.desktop
  for line in 'Type=Service' 'MimeType=inode/directory;' 'Actions=tavlorCatalog;' \
    'X-KDE-ServiceTypes=KonqPopupMenu/Plugin' '[Desktop Action tavlorCatalog]' 'Exec=TavlorCatalog %f'; do
    grep -qxF "$line" "$menu" || fail "Dolphin's service menu lacks $line"
  done
  grep -q '^Exec=Tavlor40 %f$' "$prefix/share/applications/tavlor.desktop" || fail "Exec line"
  grep -q '^MimeType=application/x-tavlor-catalog;$' "$prefix/share/applications/tavlor.desktop" || fail "MimeType line"

  # The manual pages format without a warning; the completion offers commands, the
  # options of a command, option values and the catalog paths tavlor ls gives.
  for page in "$prefix"/share/man/man1/*.1; do
    out=$(groff -man -Tutf8 -ww -z "$page" 2>&1) && [[ -z $out ]] || fail "groff: $page: $out"
  done
  mkdir -p "$work/catalogs/DATA/docs"
  "$prefix/bin/tavlor" catalog --label DATA --catalogs "$work/catalogs" "$work/catalogs/DATA" >/dev/null
  completion=$prefix/share/bash-completion/completions/tavlor
  completes() { # words... : the candidates for the last word, one line
    bash -c 'source /usr/share/bash-completion/bash_completion 2>/dev/null; source "$1"; shift
      COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
      _tavlor; printf "%s " "${COMPREPLY[@]}"' _ "$completion" "$@"
  }
  bash -c 'source "$1"; complete -p tavlor' _ "$completion" | grep -q '_tavlor tavlor' || fail "no complete -F for tavlor"
  while IFS='|' read -r words want; do
    got=$(PATH=$prefix/bin:$PATH completes $words)
    [[ " $got" == *" $want "* ]] || fail "completing '$words' gives '$got', not '$want'"
  done <<TABLE
tavlor du|dupes
tavlor dupes --ve|--verify
tavlor find --ty|--type
tavlor ls --unit K|KB
tavlor find --type z|z
tavlor ls --catalogs $work/catalogs D|DATA
tavlor ls --catalogs $work/catalogs DATA/|DATA/docs
tavlor --v|--version
tavlor du --js|--json
tavlor du --un|--unit
tavlor find --po|--posix
tavlor find --type f,|f,z
tavlor find --catalogs $work/catalogs --disk D|DATA
tavlor find --catalogs=$work/catalogs --disk D|DATA
tavlor properties --js|--json
TABLE

  # The per-user entries: Thunar's actions keep the system's own, ours is added once.
  mkdir -p "$work/xdg/Thunar"
  printf '<actions>\n<action><name>Open Terminal Here</name><unique-id>1</unique-id></action>\n</actions>\n' \
    >"$work/xdg/Thunar/uca.xml"
  for run in 1 2; do
    env -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$work/home" XDG_CONFIG_DIRS="$work/xdg" \
      "$prefix/share/tavlor/tavlor-user-actions" >/dev/null || fail "tavlor-user-actions"
  done
  uca=$work/home/.config/Thunar/uca.xml
  [[ $(grep -c '<unique-id>tavlor-catalog</unique-id>' "$uca") == 1 ]] || fail "Thunar action not added once"
  grep -q 'Open Terminal Here' "$uca" || fail "Thunar's own actions lost"
  [[ -x "$work/home/.local/share/nautilus/scripts/Tavlor Catalog" ]] || fail "GNOME Files script not linked"

  # The catalog type, by name and by contents, as the desktop sees the installed files.
  export XDG_DATA_HOME=$work/empty XDG_DATA_DIRS=$prefix/share:/usr/share XDG_CONFIG_HOME=$work/config
  update-mime-database "$prefix/share/mime"
  update-desktop-database "$prefix/share/applications"
  printf 'zar_version_1_1\r\n' >"$work/BACKUP.zar"
  printf 'zar_version_1_1\r\n' >"$work/catalog-without-extension"
  printf 'just text\n' >"$work/notes.zar.txt"
  for f in BACKUP.zar catalog-without-extension; do
    type=$(xdg-mime query filetype "$work/$f")
    [[ $type == application/x-tavlor-catalog ]] || fail "xdg-mime query filetype $f: '$type'"
  done
  type=$(xdg-mime query filetype "$work/notes.zar.txt")
  [[ $type == text/plain ]] || fail "xdg-mime query filetype notes.zar.txt: '$type'"
  app=$(xdg-mime query default application/x-tavlor-catalog)
  [[ $app == tavlor.desktop ]] || fail "xdg-mime query default: '$app'"
elif [[ $mode == package ]]; then
  (cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log") || {
    cat "$work/cpack.log" >&2
    exit 1
  }
  deb=$(ls "$work"/package/tavlor_*.deb)
  dpkg-deb -c "$deb" | awk '{ for (i = 6; i <= NF; i++) printf "%s%s", $i, (i < NF ? " " : "\n") }' |
    sed 's#^\./usr/##' >"$work/files"
  for file in $(expected_files); do
    grep -qxF "${file//%/ }" "$work/files" || fail "not in the package: $file"
  done
  grep -q 'libTavscan60.so.6' "$work/files" || fail "libTavscan60.so.6 not in the package"
  grep -q 'nautilus\|/home/' "$work/files" && fail "the package writes into a user's folders"
  depends=$(dpkg-deb -f "$deb" Depends)
  for needed in libc6 libqt6widgets6 libqt6core6 libminizip1 libblkid1 libsystemd0 xdg-utils shared-mime-info; do
    [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
  done
  [[ $(dpkg-deb -f "$deb" Package) == tavlor ]] || fail "package name"
else
  echo "usage: install_test.sh BUILD_DIR install|package" >&2
  exit 2
fi
((failures == 0)) || exit 1
echo "$mode: all checks passed"
