#!/usr/bin/env bash
# Installs the Debian packages Carvenna needs to build, run and test; skips what is there.
# Usage: scripts/install-deps.sh [run|test|package|windows|look]
# look: the tools to drive and photograph the program under a virtual screen by hand (xdotool, xwd).
set -euo pipefail
mode=${1:-run}
pkgs=(build-essential cmake ninja-build pkgconf qt6-base-dev qt6-multimedia-dev qt6-svg-dev libqt6svg6
      qt6-translations-l10n qt6-qpa-plugins fonts-liberation fonts-dejavu-core gstreamer1.0-plugins-base
      gstreamer1.0-plugins-good xdg-utils libxlsxwriter-dev libzip-dev libqrencode-dev)
if [ "$mode" = test ]; then
    pkgs+=(xvfb xauth poppler-utils libreoffice-calc-nogui desktop-file-utils dpkg-dev clang-14 libclang-rt-14-dev
           libbenchmark-dev python3-openpyxl libxml2-utils unzip python3-a38 libhbci4j-core-java zbar-tools)
    # libhbci4j-core-java: its jar carries the ISO 20022 pain.008.001.08 schema the direct-debit test checks with.
    # The invoice tests fetch the FatturaPA schema and reader with npm and run the reader under Node.
    if ! command -v npm >/dev/null 2>&1; then
        pkgs+=(nodejs npm)
    fi
fi
if [ "$mode" = package ]; then
    pkgs+=(dpkg-dev)
fi
if [ "$mode" = windows ]; then
    # The Windows setup (package-windows.sh): the mingw-w64 compilers, the Qt host tools of the same
    # version as the Windows Qt built from source, Wine to run the Windows programs, NSIS for the setup.
    pkgs+=(dpkg-dev g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools qt6-base-dev-tools
           wine wine64 nsis xz-utils)
fi
if [ "$mode" = look ]; then
    pkgs+=(xvfb xauth xdotool x11-apps netpbm poppler-utils)
fi
missing=()
for p in "${pkgs[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
SUDO=
if [ "$(id -u)" -ne 0 ]; then
    SUDO=sudo
fi
echo "Installing the missing Debian packages (a few minutes on a fresh machine): ${missing[*]}"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
