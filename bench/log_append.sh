#!/bin/sh
# The log list's cost per line with and without the widest-line column, on a
# virtual display (a list view needs one), pinned to one CPU with its server.
set -eu
build=$(cd "$1" && pwd)
prefix=$build/wineprefix
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env"
wine_env "$prefix" "$build/bin/bench_log_append.exe"
wine_server_start --pinned
status=0
taskset -c 1 xvfb-run -a "$root/scripts/wine-run" "$prefix" "$build/bin/bench_log_append.exe" || status=$?
wine_server_stop
exit $status
