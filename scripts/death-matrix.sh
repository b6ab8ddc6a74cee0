#!/usr/bin/env bash
# The whole matrix of a player that dies after each message of every command
# (tests/journeys/DeathTest.cpp): every N, with the plug-in not starting the
# player and with it starting the player again. make test runs a fixed sample.
#
#   scripts/death-matrix.sh [BUILD_DIR]     BUILD_DIR: the Windows test build (build/win32 or build/win64)
#
# DEATH_CASE=<command>[:<N>,...] and DEATH_STARTUP=none|plugin narrow the run
# (e.g. DEATH_CASE=OpenPlaylistFile:7,8 DEATH_STARTUP=plugin).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build/$(cat "$here/../build/wintest" 2>/dev/null || echo win32)}"
program="$build/tests/journeys/death_tests.exe"
[ -f "$program" ] || { echo "death-matrix.sh: $program not built (make build)" >&2; exit 2; }
. "$here/bitness.sh"
echo "death matrix: $(build_name "$build")"
export DEATH_MATRIX=full
export MELVOX_WINEDEBUG=warn+heap
start=$(date +%s)
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
status=0
"$here/wine-run.sh" --prefix "$build/wineprefix" "$program" >"$log" 2>/dev/null || status=$?
# Each command's count of messages and the outcome; a failing case's whole transcript.
if [ "$status" -eq 0 ]; then grep -E '^\[ *(OK|FAILED|PASSED) |messages;' "$log" || true; else cat "$log"; fi
echo "death matrix: $(( $(date +%s) - start )) s, exit $status"
exit "$status"
