#!/usr/bin/env bash
# Runs the test programs built for Windows under Wine with Qt's offscreen platform, one after another,
# and prints one line per program and the totals. Usage: run-wine-tests.sh <Windows build folder> <Windows Qt prefix>
# Each program writes its QtTest results to <build>/wine-tests/<name>.txt (read from the file: Wine's own
# console output is not reliable). Exits non-zero when a program failed, crashed or ran out of time.
set -uo pipefail
BUILD=$(cd "${1:?Windows build folder}" && pwd)
PREFIX=$(cd "${2:?Windows Qt prefix}" && pwd)
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

gcc_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
export WINEDEBUG=-all
export WINEPATH="$(winpath "$PREFIX/bin");$(winpath "$gcc_dir");$(winpath /usr/x86_64-w64-mingw32/lib)"
export QT_PLUGIN_PATH="$(winpath "$PREFIX/plugins")"
export QT_QPA_PLATFORM=offscreen
limit=${CARVENNA_WINE_TEST_TIMEOUT:-300}
out=$BUILD/wine-tests
mkdir -p "$out"
# A fresh Wine prefix for the run unless one is given: tests must not see what an earlier run left.
if [ -z "${WINEPREFIX:-}" ]; then
    export WINEPREFIX=$out/prefix
fi
[ -d "$WINEPREFIX" ] || wine wineboot -i >/dev/null 2>&1

failed=0 passed=0 programs=0
bad=()
for exe in "$BUILD"/tests/tst_*.exe; do
    [ -f "$exe" ] || continue
    name=$(basename "$exe" .exe)
    programs=$((programs + 1))
    result=$out/$name.txt
    rm -f "$result"
    # Run from the tests' own folder on Wine's Z: drive, so that the paths they were built with resolve.
    (cd "$BUILD/tests" && timeout "$limit" wine "$exe" -o "$(winpath "$result"),txt" >"$out/$name.console" 2>&1)
    rc=$?
    totals=$(grep -a '^Totals:' "$result" 2>/dev/null | tail -1)
    if [ "$rc" -eq 0 ] && [ -n "$totals" ]; then
        passed=$((passed + 1))
        printf '%-28s ok    %s\n' "$name" "${totals#Totals: }"
    else
        failed=$((failed + 1))
        bad+=("$name")
        if [ "$rc" -eq 124 ]; then
            why="ran out of time (${limit} s)"
        elif [ -z "$totals" ]; then
            why="ended without results (exit code $rc)"
        else
            why="${totals#Totals: }"
        fi
        printf '%-28s FAIL  %s\n' "$name" "$why"
        grep -a '^FAIL!' -A2 "$result" 2>/dev/null | head -12 | sed 's/^/    /'
    fi
done
echo "Windows test programs under Wine: $programs run, $passed passed, $failed failed${bad[*]:+ (${bad[*]})}."
[ "$programs" -gt 0 ] && [ "$failed" -eq 0 ]
