#!/usr/bin/env bash
# The desktop entry ./run.sh installs: valid for desktop-file-validate, starting the program on its
# folder (also one whose path holds blanks and a dollar), with the program's icon beside it.
set -euo pipefail
src=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
folder="$tmp/Ufficio \$scuola"
mkdir -p "$folder"
XDG_DATA_HOME="$tmp/data" "$src/scripts/desktop-entry.sh" "$folder"
entry="$tmp/data/applications/carvenna.desktop"
desktop-file-validate "$entry"
grep -qx 'Name=Carvenna' "$entry"
grep -qx 'Categories=Office;' "$entry"
grep -qx 'Icon=carvenna' "$entry"
expected="Exec=\"$tmp/Ufficio \\\\\$scuola/carvenna\" --cartella \"$tmp/Ufficio \\\\\$scuola\""
grep -qxF "$expected" "$entry" || { echo "unexpected Exec line: $(grep ^Exec= "$entry"), wanted $expected"; exit 1; }
cmp "$src/src/resources/carvenna.svg" "$tmp/data/icons/hicolor/scalable/apps/carvenna.svg"
echo "desktop entry: 1 passed, 0 failed"
