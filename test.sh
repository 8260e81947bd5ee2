#!/usr/bin/env bash
# Sets up everything on a Debian 12 machine, builds and runs every test.
# With --sanitize: builds the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer
# (Debug) into build-asan/ and runs it instead.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh test
if [ "${1:-}" = --sanitize ]; then
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCARVENNA_SANITIZE=ON -DCARVENNA_BENCH=OFF >/dev/null
    cmake --build build-asan --parallel "$(nproc)"
    cd build-asan
    # Leak checking stays off: Qt's plugin loaders and fontconfig keep their caches until exit.
    export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=0:detect_stack_use_after_return=1
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j2
    exit
fi
scripts/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j2
