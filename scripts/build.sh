#!/usr/bin/env bash
# Configures and builds Carvenna with Ninja into build/.
# Usage: scripts/build.sh [TARGET...]   with no target, builds everything (program, tests, benchmarks);
# with targets, builds only those and what they link, so the program alone is ready much sooner.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "Configuring the build in build/ ..."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ $# -eq 0 ]; then
    echo "Building every target (program, tests, benchmarks) on $(nproc) cores; the first time takes a while ..."
    cmake --build build --parallel "$(nproc)"
else
    echo "Building $* on $(nproc) cores; the first time takes a few minutes ..."
    cmake --build build --parallel "$(nproc)" --target "$@"
fi
