#!/bin/sh
# Smoke test of the real bvxscan.exe: a Wine prefix of its own (made on first
# use, kept for later runs) whose drive D: is an empty folder, no browser
# (the trial page opens nothing), and a virtual X display for the run.
# Usage: run-smoke.sh <build folder> [gtest arguments...]
set -eu
build=$(cd "$1" && pwd); shift
bin=$build/bin
work=$build/smoke
. "$(dirname "$0")/../../scripts/wine-env"

for needed in bvxscan.exe Kernel.dll test_smoke.exe; do
    if [ ! -f "$bin/$needed" ]; then
        echo "smoke: $bin/$needed is missing; build it first" >&2
        exit 1
    fi
done

wine_env "$work/wineprefix" "$bin/test_smoke.exe" --no-browser
skip_unless_wine_runs test_smoke
wine_boot
wine_server_stop
# Drive D: is an empty folder of this run, for the test to fill.
rm -rf "$work/drive-d"
mkdir -p "$work/drive-d"
wine_map_drive d "$work/drive-d"

if ! start_display 1024x768x24 "$work"; then
    echo "smoke: Xvfb did not start" >&2
    exit 1
fi

# Output through a file: Wine's service processes would hold a pipe open.
output=$work/test-output.txt
status=0
"$WINE" "$bin/test_smoke.exe" "$@" >"$output" 2>&1 </dev/null || status=$?
wine_server_stop
cat "$output"
exit $status
