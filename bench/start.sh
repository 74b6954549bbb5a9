#!/bin/sh
# The window's start: first painted frame, end of the load and the longest
# answer to a message meanwhile, with no base, with 1 000 000 kind "0"
# records and with 1 000 001 kind "1" records, in one run. Each case is a
# copy of the program with its own Bases folder; the two bases are made once
# and kept in BUILD/start-bench. Wine, its server and the program are pinned
# to one CPU, on a virtual display.
set -eu
build=$(cd "$1" && pwd)
prefix=$build/wineprefix
root=$(cd "$(dirname "$0")/.." && pwd)
work=$build/start-bench
mkdir -p "$work"
. "$root/scripts/wine-env"
wine_env "$prefix" "$build/bin/bench_start.exe"
wine_server_start --pinned
status=0
bench() { taskset -c 1 "$root/scripts/wine-run" "$prefix" "$build/bin/bench_start.exe" "$@" || status=$?; }
if [ ! -f "$work/md5-1m.bvx" ] || [ ! -f "$work/hex-1m.bvx" ]; then
    echo "making the bases (once)"
    bench make "Z:$work"
    # Making them may have started Wine's desktop process with no display,
    # and that process would keep it for the starts below.
    wine_server_stop
    wine_server_start --pinned
fi
for case in none md5-1m hex-1m; do
    app=$work/app-$case
    rm -rf "$app"
    mkdir -p "$app/Bases"
    cp "$build/bin/bvxscan.exe" "$build/bin/"*.dll "$build/bin/ver.ini" "$app/"
    [ "$case" = none ] || ln "$work/$case.bvx" "$app/Bases/$case.bvx"
done
# One virtual display for the three starts: Wine's desktop process keeps the
# display it was started on. True colour, so that the strip's colour is
# seen as the program draws it (xvfb-run's own screen has 256 colours).
taskset -c 1 xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    status=0
    for case in none md5-1m hex-1m; do
        "$1/scripts/wine-run" "$2" "$3/bin/bench_start.exe" run "Z:$4/app-$case" "$case" || status=$?
    done
    exit $status' starts "$root" "$prefix" "$build" "$work" || status=$?
wine_server_stop
exit $status
