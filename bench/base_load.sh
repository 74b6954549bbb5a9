#!/bin/sh
# Load time and peak memory of UnPakBaseToStream for a base of 1 000 001
# records, and the time of the system's bzip2 on the same container, in one
# run. Wine and its server are pinned to one CPU, and so is bzip2.
set -eu
build=$(cd "$1" && pwd)
prefix=$build/wineprefix
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/bvxbench.XXXXXX)
trap 'rm -rf "$work"' EXIT
. "$root/scripts/wine-env"
wine_env "$prefix" "$build/bin/bench_base_load.exe"
wine_server_start --pinned
status=0
run() { taskset -c 1 "$root/scripts/wine-run" "$prefix" "$build/bin/bench_base_load.exe" "$@" || status=$?; }
run make "Z:$work"
echo "container: $(stat -c %s "$work/base.bvx") bytes for $(stat -c %s "$work/base.plain") bytes of content"
run load "Z:$work"
start=$(date +%s.%N)
taskset -c 1 bzip2 -dc "$work/base.bvx" >/dev/null
end=$(date +%s.%N)
echo "native bzip2 -dc of the same container: $(awk "BEGIN { printf \"%.2f\", $end - $start }") s"
wine_server_stop
exit $status
