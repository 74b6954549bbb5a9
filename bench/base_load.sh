#!/bin/sh
# Loading a base of 1,000,000 kind "0" records and one of 1,000,001 kind "1"
# records (load and index), each against the system's bzip2 -dc of the same
# container, in rounds taken in turn (three by default); the medians, as ratios. The bases
# are written once into BUILD/base-load/ and reused. Wine and its server are
# pinned to one CPU, and so is bzip2. CPU times count only the process (not
# Wine's server), so the wall times are the figures; the CPU times tell how
# far a busy machine bent them.
set -eu
build=$(cd "$1" && pwd)
prefix=$build/wineprefix
root=$(cd "$(dirname "$0")/.." && pwd)
work=$build/base-load
mkdir -p "$work"
. "$root/scripts/wine-env"
wine_env "$prefix" "$build/bin/bench_base_load.exe"
wine_server_start --pinned
rounds=${BASE_LOAD_ROUNDS:-3}
status=0
run() { taskset -c 1 "$root/scripts/wine-run" "$prefix" "$build/bin/bench_base_load.exe" "$@" || status=$?; }
if [ ! -f "$work/md5.bvx" ] || [ ! -f "$work/hex.bvx" ]; then
    run make "$(winpath "$work")"
    for key in md5 hex; do
        taskset -c 1 bzip2 -9 -c "$work/$key.plain" >"$work/$key.bvx"
        rm -f "$work/$key.plain"
    done
fi
now() { date +%s.%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
for key in md5 hex; do
    echo "$key: container $(stat -c %s "$work/$key.bvx") bytes"
    run parts "$(winpath "$work")" "$key"
    : >"$work/$key.native"
    : >"$work/$key.ours"
    for round in $(seq "$rounds"); do
        start=$(now)
        taskset -c 1 bzip2 -dc "$work/$key.bvx" >/dev/null
        awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.3f\n", b - a }' >>"$work/$key.native"
        # Wine's output goes to a file: its server would keep a pipe open.
        run load "$(winpath "$work")" "$key" >"$work/$key.round"
        cat "$work/$key.round"
        sed -n 's/.*figures .* load=\([0-9.]*\) .* index=\([0-9.]*\) .*/\1 \2/p' "$work/$key.round" >>"$work/$key.ours"
    done
    native=$(median <"$work/$key.native")
    load=$(cut -d' ' -f1 "$work/$key.ours" | median)
    both=$(awk '{ printf "%.3f\n", $1 + $2 }' "$work/$key.ours" | median)
    awk -v k="$key" -v n="$native" -v l="$load" -v b="$both" 'BEGIN {
        printf "%s medians: bzip2 -dc %.2f s; UnPakBaseToStream %.2f s = %.2fx; load and index %.2f s = %.2fx\n",
            k, n, l, l / n, b, b / n }'
done
wine_server_stop
exit $status
