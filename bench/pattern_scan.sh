#!/bin/sh
# The content pass alone against MD5 of the same bytes, per pattern count.
# Wine and its server are pinned to one CPU, as they are noisy when they
# bounce between the two.
set -eu
build=$(cd "$1" && pwd)
prefix=$build/wineprefix
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env"
wine_env "$prefix" "$build/bin/bench_pattern_scan.exe"
wine_server_start --pinned
status=0
taskset -c 1 "$root/scripts/wine-run" "$prefix" "$build/bin/bench_pattern_scan.exe" || status=$?
wine_server_stop
exit $status
