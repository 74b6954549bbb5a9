#!/bin/sh
# The installer's round trip for a user whose profile folder has a name that
# the ANSI code page cannot spell: makes the installer (scripts/package), a
# Wine prefix of its own (BUILD/profile-test/, made afresh) whose user is
# named in Cyrillic and CJK beside Latin letters (Wine takes the name from
# WINEUSERNAME, else USER), maps drive D: to a copy of the demo files, and
# runs test_profile.exe there on a virtual display of its own.
# Usage: run-profile.sh <build folder> [gtest arguments...]
set -eu
build=$(cd "$1" && pwd); shift
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$build/profile-test
. "$root/scripts/wine-env"
skip_unless_i686_build test_profile "$build"
wine_env "$work/wineprefix" "$build/bin/test_profile.exe" --no-browser
skip_unless_wine_runs test_profile

for needed in test_profile.exe bvxscan.exe bvxtool.exe Bases/sample.bvx; do
    if [ ! -f "$build/bin/$needed" ]; then
        echo "profile: $build/bin/$needed is missing; build it first" >&2
        exit 1
    fi
done

"$root/scripts/package" "$build" >/dev/null
. "$build/generated/package/version.env"
setup=$build/package/Brenvald-$version-setup.exe

WINEUSERNAME="Юрий Jürgen 山田"
USER=$WINEUSERNAME
export WINEUSERNAME USER
if [ -d "$WINEPREFIX" ]; then
    wine_server_stop
fi
rm -rf "$work"
mkdir -p "$work/drive-d"
cp "$build/bin/Demo/"* "$work/drive-d/"
wine_boot
wineserver -w
{
    printf 'REGEDIT4\r\n\r\n'
    wine_desktop_reg 1024x768
} >"$work/desktop.reg"
wine_regedit "$work/desktop.reg"
wine_map_drive d "$work/drive-d"

export BVX_PROFILE_SETUP="$(winpath "$setup")"
export BVX_PROFILE_BIN="$(winpath "$build/bin")\\"

if ! start_display 1024x768x24 "$work"; then
    echo "profile: Xvfb did not start" >&2
    exit 1
fi

# Output through a file: Wine's service processes would hold a pipe open.
output=$work/test-output.txt
status=0
taskset -c 1 "$WINE" "$build/bin/test_profile.exe" "$@" >"$output" 2>&1 </dev/null || status=$?
wine_server_stop
cat "$output"
exit $status
