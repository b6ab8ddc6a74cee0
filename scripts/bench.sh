#!/usr/bin/env bash
# The panel benchmark (not part of make test): panels of 1,000, 10,000 and
# 50,000 songs from the player stand-in with every title cached, tags off and
# on, and the loading of a 100,000-entry titles cache, each against a floor
# measured in the same run. Song files are made once in bench-data.
#   bench.sh BUILD      (the Windows build with the stand-ins: win32 or win64)
set -euo pipefail

build="${1:?usage: bench.sh BUILD}"
here="$(cd "$(dirname "$0")" && pwd)"
prefix="$build/wineprefix"

cmake --build "$build" -j2 --target melvox_bench fakeamp >/dev/null
bench="$build/bench/melvox_bench.exe"

stop_wine() { "$here/wine-run.sh" --prefix "$prefix" --stop; }
trap stop_wine EXIT
"$here/wine-run.sh" --prefix "$prefix" --start >/dev/null

for songs in 1000 10000 50000; do
  for tags in 0 1; do
    "$here/wine-run.sh" --prefix "$prefix" "$bench" panel "$songs" "$tags"
  done
done
"$here/wine-run.sh" --prefix "$prefix" "$bench" cache 100000
