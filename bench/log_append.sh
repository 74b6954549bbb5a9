#!/bin/sh
# The log list's cost per line with and without the widest-line column, on a
# virtual display (a list view needs one), pinned to one CPU with its server.
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
taskset -c 1 xvfb-run -a "$root/scripts/wine-run" "$prefix" "$build/bin/bench_log_append.exe" || status=$?
WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
exit $status
