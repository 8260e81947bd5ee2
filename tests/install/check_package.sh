#!/usr/bin/env bash
# The Debian package built with CPack from this build: its name, the files it installs, the declared
# dependencies and a valid desktop entry.
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
(cd "$build" && cpack -G DEB -B "$tmp" >/dev/null)
debs=("$tmp"/carvenna_*_amd64.deb)
[ -f "${debs[0]}" ] || { echo "no carvenna_<version>_amd64.deb in $(ls "$tmp")"; exit 1; }
deb=${debs[0]}
info=$(dpkg-deb --info "$deb")
contents=$(dpkg-deb --contents "$deb")
for file in ./usr/bin/carvenna ./usr/bin/carvenna_setpassword ./usr/share/carvenna/Guida.pdf \
    ./usr/share/applications/carvenna.desktop \
    ./usr/share/icons/hicolor/scalable/apps/carvenna.svg ./usr/lib/carvenna/carvenna_camera.so; do
    grep -q " $file\$" <<<"$contents" || { echo "missing $file"; echo "$contents"; exit 1; }
done
depends=$(grep '^ Depends:' <<<"$info")
for dep in libqt6core6 libqt6widgets6 libqt6printsupport6 libqt6multimedia6 libxlsxwriter4 libzip4 qt6-qpa-plugins qt6-translations-l10n fonts-liberation; do
    grep -q "$dep" <<<"$depends" || { echo "Depends lacks $dep: $depends"; exit 1; }
done
dpkg-deb -x "$deb" "$tmp/root"
desktop-file-validate "$tmp/root/usr/share/applications/carvenna.desktop"
# The guide is a whole PDF with the guide's text in it, not an empty placeholder.
guide=$(pdftotext "$tmp/root/usr/share/carvenna/Guida.pdf" -)
for phrase in "Uno sguardo a Carvenna" "Copie di sicurezza" "Importa schede"; do
    grep -qF "$phrase" <<<"$guide" || { echo "Guida.pdf lacks \"$phrase\""; exit 1; }
done
grep -qx 'Exec=carvenna' "$tmp/root/usr/share/applications/carvenna.desktop"
echo "package: 1 passed, 0 failed"
