#!/usr/bin/env bash
# Sets up everything on a Debian 12 machine, builds Carvenna, installs it into its
# program folder (default ~/Carvenna, or the folder given as first argument) and starts it.
# The program folder holds all data; a rebuild or "git clean" never touches it.
set -euo pipefail
cd "$(dirname "$0")"
target=${1:-"$HOME/Carvenna"}
scripts/install-deps.sh run
# Only what is installed below is built; ./test.sh builds and runs the tests.
scripts/build.sh carvenna carvenna_setpassword guida_pdf
echo "Installing into $target ..."
mkdir -p "$target"
install -m 755 build/carvenna "$target/carvenna"
# The webcam's back end, loaded beside the program when the webcam is opened.
if [ -e build/carvenna_camera.so ]; then
    install -m 755 build/carvenna_camera.so "$target/carvenna_camera.so"
fi
# The guide's PDF, opened by "Visualizza guida in formato PDF"; rewritten with each install.
install -m 644 build/Guida.pdf "$target/Guida.pdf"
# The password file is written only once: later installs keep the password the office chose.
if [ ! -e "$target/unins000.dll" ]; then
    build/carvenna_setpassword "$target/unins000.dll" CARVENNA
    echo "Password file created; the first password is CARVENNA."
fi
# The desktop's menu entry for this program folder, for the current user.
scripts/desktop-entry.sh "$target"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Carvenna is installed in $target, but there is no display to show it on."
    echo "Start it on a desktop session with:  $target/carvenna"
    echo "or without a screen, under a virtual one (Debian package xvfb):  xvfb-run -a $target/carvenna"
    exit 1
fi
exec "$target/carvenna"
