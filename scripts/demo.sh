#!/usr/bin/env bash
# The demo: drives the player stand-in through play, pause, next and stop and
# prints its caption, state and WINAMP.M3U after each step. Runs without a
# display and leaves no Wine process behind.
#   demo.sh BUILD       (the Windows build with the stand-ins: win32 or win64)
set -euo pipefail

build="${1:?usage: demo.sh BUILD}"
here="$(cd "$(dirname "$0")" && pwd)"
prefix="$build/wineprefix"
demo="$build/tools/player/fakeamp_demo.exe"

[ -f "$demo" ] || { echo "demo.sh: $demo is not built (run make build)" >&2; exit 1; }

stop_wine() { "$here/wine-run.sh" --prefix "$prefix" --stop; }
trap stop_wine EXIT

"$here/wine-run.sh" --prefix "$prefix" "$demo"
