#!/bin/sh
# The package test: makes the zip and the installer from the build
# (scripts/package), checks the zip's file list, unpacks it, and runs
# test_package.exe in a Wine prefix of its own (BUILD/package-test/, made on
# first use and kept) on a virtual display of its own.
# Usage: run-package.sh <build folder> [gtest arguments...]
set -eu
build=$(cd "$1" && pwd); shift
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$build/package-test
. "$root/scripts/wine-env"

for needed in test_package.exe bvxscan.exe bvxtool.exe kernelinfo.exe; do
    if [ ! -f "$build/bin/$needed" ]; then
        echo "package: $build/bin/$needed is missing; build it first" >&2
        exit 1
    fi
done

skip_unless_i686_build test_package "$build"
"$root/scripts/package" "$build" >/dev/null
. "$build/generated/package/version.env"
name=Brenvald-$version
zip=$build/package/$name-win32.zip
setup=$build/package/$name-setup.exe

# The zip holds exactly this; an empty Bases folder apart from its note.
expected=$(cat <<LIST
$name/
$name/Bases/
$name/Bases/README.txt
$name/Kernel.dll
$name/KernelC.dll
$name/LICENSE.txt
$name/NOTICES.txt
$name/README.txt
$name/bvxscan.exe
$name/bvxtool.exe
$name/libgcc_s_dw2-1.dll
$name/libstdc++-6.dll
$name/libwinpthread-1.dll
$name/ver.ini
LIST
)
actual=$(unzip -Z1 "$zip" | LC_ALL=C sort)
if [ "$actual" != "$expected" ]; then
    echo "package: the zip's file list differs from the expected one:" >&2
    printf '%s\n' "$expected" >"$work.expected"
    printf '%s\n' "$actual" | diff "$work.expected" - >&2 || true
    rm -f "$work.expected"
    exit 1
fi
if [ ! -s "$setup" ]; then
    echo "package: no installer $setup" >&2
    exit 1
fi

wine_env "$work/wineprefix" "$build/bin/test_package.exe" --no-browser
skip_unless_wine_runs "test_package: the zip and the installer were made and the zip's file list holds; the rest"
mkdir -p "$work"
rm -rf "$work/unzipped"
unzip -q "$zip" -d "$work/unzipped"
if [ -d "$WINEPREFIX" ]; then
    wine_server_stop
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wine_boot
    wineserver -w
    {
        printf 'REGEDIT4\r\n\r\n'
        wine_desktop_reg 1024x768
    } >"$work/desktop.reg"
    wine_regedit "$work/desktop.reg"
fi

export BVX_PKG_UNZIPPED="$(winpath "$work/unzipped/$name")\\"
export BVX_PKG_SETUP="$(winpath "$setup")"
export BVX_PKG_BIN="$(winpath "$build/bin")\\"
export BVX_PKG_VERSION="$version"

if ! start_display 1024x768x24 "$work"; then
    echo "package: Xvfb did not start" >&2
    exit 1
fi

# Output through a file: Wine's service processes would hold a pipe open.
output=$work/test-output.txt
status=0
taskset -c 1 "$WINE" "$build/bin/test_package.exe" "$@" >"$output" 2>&1 </dev/null || status=$?
wine_server_stop
cat "$output"
exit $status
