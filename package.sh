#!/usr/bin/env bash
# Builds the Debian package carvenna_<version>_amd64.deb into this folder, with CPack from the build in build/.
# Install it with:  sudo apt-get install ./carvenna_*_amd64.deb
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh package
# Only what the package holds: the program, the password tool and the guide (the tests are test.sh's job).
scripts/build.sh carvenna carvenna_setpassword guida_pdf
(cd build && cpack -G DEB -B "$PWD/package" >/dev/null)
cp build/package/carvenna_*_amd64.deb .
ls carvenna_*_amd64.deb
