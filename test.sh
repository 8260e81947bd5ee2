#!/usr/bin/env bash
# Sets up everything on a Debian 12 machine, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh test
scripts/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j2
