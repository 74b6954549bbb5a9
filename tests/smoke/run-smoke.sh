#!/bin/sh
# Smoke test of the real bvxscan.exe: a Wine prefix of its own (made on first
# use, kept for later runs) whose drive D: is an empty folder, no browser
# (the trial page opens nothing), and a virtual X display for the run.
# Usage: run-smoke.sh <build folder> [gtest arguments...]
set -eu
build=$(cd "$1" && pwd); shift
bin=$build/bin
prefix=$build/smoke/wineprefix

for needed in bvxscan.exe Kernel.dll test_smoke.exe; do
    if [ ! -f "$bin/$needed" ]; then
        echo "smoke: $bin/$needed is missing; build it first" >&2
        exit 1
    fi
done

export WINEPREFIX="$prefix" WINEDEBUG=-all WINEARCH=win32 WINEDLLOVERRIDES="mscoree,mshtml=,winebrowser.exe="
mkdir -p "$build/smoke"
if [ ! -f "$prefix/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 </dev/null || true
fi
wineserver -k 2>/dev/null || true
# Drive D: is an empty folder of this run, for the test to fill.
rm -rf "$build/smoke/drive-d"
mkdir -p "$build/smoke/drive-d"
rm -f "$prefix/dosdevices/d:" "$prefix/dosdevices/d::"
ln -s "$build/smoke/drive-d" "$prefix/dosdevices/d:"

# Output through a file: Wine's service processes would hold a pipe open.
output=$build/smoke/test-output.txt
status=0
xvfb-run -a -s "-screen 0 1024x768x24" \
    sh -c 'wine "$0" "$@"; status=$?; wineserver -k 2>/dev/null; exit $status' \
    "$bin/test_smoke.exe" "$@" >"$output" 2>&1 </dev/null || status=$?
cat "$output"
exit $status
