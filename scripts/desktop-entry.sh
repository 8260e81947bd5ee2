#!/usr/bin/env bash
# Installs, for the current user, the desktop entry carvenna.desktop and the program's icon, so that the
# program appears in the desktop's menu and starts on PROGRAM_FOLDER.
# Usage: scripts/desktop-entry.sh PROGRAM_FOLDER   (writes into ${XDG_DATA_HOME:-~/.local/share})
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
folder="$(cd "$1" && pwd)"
data="${XDG_DATA_HOME:-$HOME/.local/share}"
# Exec quoting of the desktop entry format: the path in double quotes, with \ " ` $ escaped (and the
# backslash doubled once more by the format's own string escaping).
quote() {
    local s=$1
    s=${s//\\/\\\\\\\\}
    s=${s//\"/\\\\\"}
    s=${s//\`/\\\\\`}
    s=${s//\$/\\\\\$}
    s=${s//%/%%}
    printf '"%s"' "$s"
}
exec_line="$(quote "$folder/carvenna") --cartella $(quote "$folder")"
mkdir -p "$data/applications" "$data/icons/hicolor/scalable/apps"
install -m 644 "$here/src/resources/carvenna.svg" "$data/icons/hicolor/scalable/apps/carvenna.svg"
tmp="$(mktemp)"
while IFS= read -r line; do
    if [ "$line" = "Exec=@EXEC@" ]; then
        printf 'Exec=%s\n' "$exec_line"
    else
        printf '%s\n' "$line"
    fi
done <"$here/packaging/carvenna.desktop.in" >"$tmp"
install -m 644 "$tmp" "$data/applications/carvenna.desktop"
rm -f "$tmp"
if command -v update-desktop-database >/dev/null 2>&1; then
    update-desktop-database -q "$data/applications" || true
fi
