#!/usr/bin/env bash
# The soak run of make soak: a thousand open-list-redraw-close cycles of the
# shipped melvox.dll in the host emulator with the player stand-in, then a
# thousand rounds of Enter, Del and PutFiles on one open panel; the host's and
# the player's handles, heap, address space and private bytes at cycle 10 and
# at the last cycle, against their bounds (tests/soak/SoakMain.cpp). make test
# runs the same program for 50 cycles.
#   soak.sh BUILD [CYCLES]   (the Windows build with the stand-ins: win32 or win64)
set -euo pipefail

build="${1:?usage: soak.sh BUILD [CYCLES]}"
cycles="${2:-1000}"
here="$(cd "$(dirname "$0")" && pwd)"
prefix="$build/wineprefix"
. "$here/bitness.sh"
echo "soak: $(build_name "$build")"

cmake --build "$build" -j2 --target melvox_soak fakeamp >/dev/null

stop_wine() { "$here/wine-run.sh" --prefix "$prefix" --stop; }
trap stop_wine EXIT
"$here/wine-run.sh" --prefix "$prefix" --start >/dev/null

# A run that hangs fails instead of waiting for ever (a thousand cycles take
# about a minute and a half on two busy cores).
timeout 1200 "$here/wine-run.sh" --prefix "$prefix" "$build/tests/soak/melvox_soak.exe" "$cycles" | tr -d '\r'
