#!/usr/bin/env bash
# The demo: the shipped melvox.dll loaded by the host emulator with the player
# stand-in and a generated song library, scene by scene (demo/*.txt), printed
# as the user would see it. Runs without a display and leaves no Wine process
# behind.
#   demo.sh BUILD       (the Windows build the tests ran in: win32 or win64)
set -euo pipefail

build="${1:?usage: demo.sh BUILD}"
here="$(cd "$(dirname "$0")" && pwd)"
prefix="$build/wineprefix"
demo="$build/tests/journeys/melvox_demo.exe"

[ -f "$demo" ] || { echo "demo.sh: $demo is not built (run make build)" >&2; exit 1; }

stop_wine() { "$here/wine-run.sh" --prefix "$prefix" --stop; }
trap stop_wine EXIT

"$here/wine-run.sh" --prefix "$prefix" "$demo" | tr -d '\r'
