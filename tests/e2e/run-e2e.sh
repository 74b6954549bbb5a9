#!/bin/sh
# End-to-end run of the real bvxscan.exe: makes a Wine prefix of its own for
# this run, maps drive D: to a fresh folder tree, installs a copy of the
# program (with Kernel.dll, the runtime DLLs and ver.ini) in a folder of its
# own, points the shell's http, https and mailto handlers at our recorder,
# and runs the test program in a Wine desktop on a virtual X display.
# Usage: run-e2e.sh <build folder> [gtest arguments...]
set -eu
build=$(cd "$1" && pwd); shift
bin=$build/bin
work=$build/e2e
prefix=$work/wineprefix

# Z: maps to the root in every prefix, so a Unix path becomes Z:\...
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
# The same path written inside a .reg string (backslashes doubled).
regpath() { winpath "$1" | sed 's/\\/\\\\/g'; }

for needed in Kernel.dll test_e2e.exe e2e_url_recorder.exe e2e_driver_target.exe; do
    if [ ! -f "$bin/$needed" ]; then
        echo "e2e: $bin/$needed is missing; build it first" >&2
        exit 1
    fi
done

export WINEPREFIX="$prefix" WINEDEBUG=-all WINEARCH=win32 WINEDLLOVERRIDES="mscoree,mshtml="
if [ -d "$prefix" ]; then
    wineserver -k 2>/dev/null || true
fi
rm -rf "$work"
mkdir -p "$work/drive-d" "$work/app" "$work/tools"

wineboot -i >/dev/null 2>&1 </dev/null || true
wineserver -w
rm -f "$prefix/dosdevices/d:" "$prefix/dosdevices/d::"
ln -s "$work/drive-d" "$prefix/dosdevices/d:"

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
    # A virtual desktop: without a window manager on the display, Wine waits
    # two seconds for every top-level window that is hidden or destroyed.
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="1280x1024"\r\n\r\n'
} >"$work/handlers.reg"
wine regedit /S "$(winpath "$work/handlers.reg")" >/dev/null 2>&1 </dev/null
wineserver -w

export BVX_E2E_APP="$(winpath "$work/app")\\"
export BVX_E2E_OPENED="$(winpath "$work/tools/opened.txt")"
export BVX_E2E_DRIVE="D:\\"

# A display of our own: Xvfb picks a free number itself (-displayfd), so
# test programs that start displays at the same moment never collide.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 </dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    echo "e2e: Xvfb did not start" >&2
    exit 1
fi
export DISPLAY=":$(cat "$work/display")"

output=$work/test-output.txt
status=0
taskset -c 1 wine "$bin/test_e2e.exe" "$@" >"$output" 2>&1 </dev/null || status=$?
wineserver -k 2>/dev/null || true
cat "$output"
exit $status
