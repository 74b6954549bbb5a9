#!/bin/sh
# End-to-end run of the real bvxscan.exe: makes a Wine prefix of its own for
# this run, maps drive D: to a fresh folder tree, installs a copy of the
# program (with Kernel.dll, the runtime DLLs and ver.ini) in a folder of its
# own, points the shell's http, https and mailto handlers at our recorder,
# and runs the test program in a Wine desktop on a virtual X display.
# Without gtest arguments the layout tests (DisplayScaling.*) run once more
# at 144 and 192 DPI (150 and 200 %), with the prefix's scaling set for each.
# Usage: run-e2e.sh <build folder> [gtest arguments...]
set -eu
build=$(cd "$1" && pwd); shift
bin=$build/bin
work=$build/e2e
. "$(dirname "$0")/../../scripts/wine-env"

for needed in Kernel.dll test_e2e.exe e2e_url_recorder.exe e2e_driver_target.exe; do
    if [ ! -f "$bin/$needed" ]; then
        echo "e2e: $bin/$needed is missing; build it first" >&2
        exit 1
    fi
done

wine_env "$work/wineprefix" "$bin/test_e2e.exe"
skip_unless_wine_runs test_e2e
if [ -d "$WINEPREFIX" ]; then
    wine_server_stop
fi
rm -rf "$work"
mkdir -p "$work/drive-d" "$work/app" "$work/tools"

wine_boot
wineserver -w
wine_map_drive d "$work/drive-d"

# The program as a user installs it: its files side by side, nothing else.
# (Without bvxscan.exe the window's tests fail, saying it did not start.)
if [ -f "$bin/bvxscan.exe" ]; then
    cp "$bin/bvxscan.exe" "$work/app/"
fi
cp "$bin/Kernel.dll" "$work/app/"
for runtime in "$bin"/lib*.dll; do
    cp "$runtime" "$work/app/"
    cp "$runtime" "$work/tools/"
done
if [ -f "$bin/ver.ini" ]; then
    cp "$bin/ver.ini" "$work/app/"
fi
cp "$bin/e2e_url_recorder.exe" "$work/tools/"
: >"$work/tools/opened.txt"

handler="\\\"$(regpath "$work/tools/e2e_url_recorder.exe")\\\" \\\"$(regpath "$work/tools/opened.txt")\\\" \\\"%1\\\""
{
    printf 'REGEDIT4\r\n\r\n'
    for scheme in http https mailto; do
        printf '[HKEY_CLASSES_ROOT\\%s\\shell\\open\\command]\r\n@="%s"\r\n\r\n' "$scheme" "$handler"
    done
    wine_desktop_reg 1280x1024
} >"$work/handlers.reg"
wine_regedit "$work/handlers.reg"

export BVX_E2E_APP="$(winpath "$work/app")\\"
export BVX_E2E_OPENED="$(winpath "$work/tools/opened.txt")"
export BVX_E2E_DRIVE="D:\\"

if ! start_display 1280x1024x24 "$work"; then
    echo "e2e: Xvfb did not start" >&2
    exit 1
fi

output=$work/test-output.txt
status=0
taskset -c 1 "$WINE" "$bin/test_e2e.exe" "$@" >"$output" 2>&1 </dev/null || status=$?
if [ $# -eq 0 ]; then
    for dpi in 144 192; do
        # Wine takes the scaling from the registry when its server starts.
        wine_dpi_reg "$dpi" >"$work/dpi.reg"
        wine_regedit "$work/dpi.reg"
        wine_server_stop
        wineserver -w 2>/dev/null || true
        echo "=== the layout at $dpi DPI ===" >>"$output"
        BVX_E2E_DPI=$dpi taskset -c 1 "$WINE" "$bin/test_e2e.exe" --gtest_filter='DisplayScaling.*' \
            >>"$output" 2>&1 </dev/null || status=$?
    done
fi
wine_server_stop
cat "$output"
exit $status
