#!/usr/bin/env bash
# Checks a Windows setup under Wine: a silent install into an empty folder and into a folder that
# already holds an office's data, then a silent uninstall of each.
#   - the empty folder gets the program and the first password file;
#   - in the office's folder every file that was there is byte for byte the same afterwards, the
#     password file included;
#   - the uninstaller removes the program and leaves every file of the office's.
# Usage: check-setup.sh <Carvenna-Setup-x.y.exe>. Exits non-zero at the first fault, saying which.
set -euo pipefail
SETUP=$(realpath "${1:?setup program}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A private Wine prefix and home: the setup's shortcuts and menu entries stay in the test's folder.
export HOME=$work/home WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d"
mkdir -p "$HOME"
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
fail() { echo "check-setup: $*" >&2; exit 1; }
wine wineboot -i >/dev/null 2>&1

# The files of a folder with their checksums, the program's own files left out.
office_files() {
    (cd "$1" && find . -type f ! -name 'Disinstalla Carvenna.exe' -print0 | sort -z | xargs -0r sha256sum) |
        grep -v -F -f "$work/program-files" || true
}

# The setup reads /D= (and the uninstaller _?=) unquoted to the end of its command line, as typed in a
# Windows command prompt; Wine would quote an argument holding a blank, so the line goes through cmd.
install_into() {
    wine cmd /c "$(winpath "$SETUP") /S /D=$(winpath "$1")" >/dev/null 2>&1 || fail "the setup failed for $1"
    [ -f "$1/carvenna.exe" ] || fail "no carvenna.exe in $1"
    [ -f "$1/Disinstalla Carvenna.exe" ] || fail "no uninstaller in $1"
}

uninstall_from() {
    # _?= runs the uninstaller in place and waits for it.
    # The uninstaller's own path holds a blank and must be quoted: the line goes through a batch file.
    printf '"%s\\Disinstalla Carvenna.exe" /S _?=%s\r\n' "$(winpath "$1")" "$(winpath "$1")" >"$work/uninstall.bat"
    wine cmd /c "$(winpath "$work/uninstall.bat")" >/dev/null 2>&1 || fail "the uninstaller failed in $1"
    rm -f "$1/Disinstalla Carvenna.exe"
}

# 1. An empty folder (a name with a blank, as offices choose).
empty="$work/drive/Carvenna Ufficio"
mkdir -p "$work/drive"
install_into "$empty"
grep -qa '^\[Accesso\]' "$empty/unins000.dll" || fail "no first password file in the empty folder"
(cd "$empty" && find . -type f ! -name unins000.dll ! -name 'Disinstalla Carvenna.exe' | sed 's|^\./||') \
    >"$work/program-files"
[ -s "$work/program-files" ] || fail "the setup installed nothing"
[ -f "$WINEPREFIX/drive_c/users/$(id -un)/Desktop/Carvenna.lnk" ] || fail "no desktop shortcut"
[ -n "$(find "$WINEPREFIX/drive_c/users" -path '*Start Menu*' -name Carvenna.lnk)" ] || fail "no Start menu shortcut"
uninstall_from "$empty"
[ ! -e "$WINEPREFIX/drive_c/users/$(id -un)/Desktop/Carvenna.lnk" ] || fail "the uninstaller left the desktop shortcut"
left=$(cd "$empty" && find . -type f | sed 's|^\./||')
[ "$left" = unins000.dll ] || fail "after uninstalling from the empty folder, left: $(echo "$left" | tr '\n' ' ')"

# 2. A folder holding an office's data: a year of receipts, the registry, settings, a chosen password,
# photos, documents, PDFs, journals, invoices, direct debits and backups.
office=$work/drive/Scuola
mkdir -p "$office"/{Anagrafica,Documenti_Allegati,PDF,Storico,Fatture,SDD,Copie}
head -c $((1099 * 500)) /dev/urandom >"$office/2025.ric"
head -c $((3189 * 40)) /dev/urandom >"$office/Archivio_Iscritti.pro"
printf '[Numerazione Ricevute]\r\nInizio=120\r\n' >"$office/Trelvani.ini"
printf '[Accesso]\r\nValore=4A5B6C\r\n' >"$office/unins000.dll"
head -c 5000 /dev/urandom >"$office/Anagrafica/Scheda_Iscritto_1.jpg"
head -c 3000 /dev/urandom >"$office/Documenti_Allegati/certificato.pdf"
head -c 3000 /dev/urandom >"$office/PDF/Ricevuta_2025_1.pdf"
echo "riga" >"$office/Storico/2025.ric.storico"
head -c 2000 /dev/urandom >"$office/Fatture/IT01234567890_00001.xml"
head -c 2000 /dev/urandom >"$office/SDD/addebiti_2025_09.xml"
head -c 9000 /dev/urandom >"$office/Copie/Copia_2025-06-30.zip"
# An older Guida.pdf is the program's: the setup replaces it, so it is not the office's file.
office_files "$office" >"$work/before"
install_into "$office"
office_files "$office" >"$work/after"
diff "$work/before" "$work/after" >/dev/null || fail "the setup changed the office's files: $(diff "$work/before" "$work/after" | head -5)"
uninstall_from "$office"
office_files "$office" >"$work/after-uninstall"
diff "$work/before" "$work/after-uninstall" >/dev/null ||
    fail "the uninstaller changed the office's files: $(diff "$work/before" "$work/after-uninstall" | head -5)"
while IFS= read -r f; do
    [ ! -e "$office/$f" ] || fail "the uninstaller left the program's $f"
done <"$work/program-files"
echo "check-setup: install and uninstall keep the office's $(wc -l <"$work/before") files; empty folder gets the password file."
