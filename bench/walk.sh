#!/bin/sh
# The scan walk against a bare directory walk of the same tree. Wine and its
# server are pinned to one CPU, as they are noisy when they bounce between
# the two.
set -eu
build=$(cd "$1" && pwd)
prefix=$build/wineprefix
root=$(cd "$(dirname "$0")/.." && pwd)
WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
sleep 1
if [ -f "$prefix/system.reg" ]; then
    WINEPREFIX=$prefix WINEARCH=win32 taskset -c 1 wineserver -p </dev/null >/dev/null 2>&1
fi
status=0
taskset -c 1 "$root/scripts/wine-run" "$prefix" "$build/bin/bench_walk.exe" || status=$?
WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
exit $status
