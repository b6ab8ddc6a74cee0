#!/usr/bin/env bash
# The benchmark (not part of make test): panels of 1,000, 10,000 and 50,000
# songs (500 a folder) from the player stand-in with every title cached, tags
# off and on; panels of 10,000 and 50,000 songs lying 10 a folder, as albums
# do; a scattered panel of 1,000 songs, each the only one taken from a folder
# of 1,000 files; the loading and sorting of a 100,000-entry titles cache,
# its entries scattered (the worst case) and as the plug-in leaves the file
# (sorted by a rewrite, 1% appended since; the target of twice the floor is
# for this one); the commands Del, F7, Shift+F1 after a sort and Shift+F5 of
# every entry on panels of 10,000 and 50,000 songs; folders of 10,000 and
# 50,000 songs copied onto the panel. Floors: a listing's is reading the
# player's playlist file and each folder once (the scattered panel's is the
# search of every song by itself); a command's that hands the player a
# playlist is writing that playlist file once and the player's load of it
# (those commands show too the floor with what they must do besides: the
# player's list read back before a removal or reorder and after every
# hand-over, and for a removal or reorder the listing after it, which checks
# the song files).
# Each figure is the median of five runs of the measurement, each followed by
# its floor measured in the same process, with the spread of the runs; the
# last lines compare 50,000 with 10,000 songs (5.00 = linear). Song files are
# made once in bench-data (the scattered folders hold a million empty files).
#   bench.sh BUILD      (the Windows build with the stand-ins: win32 or win64)
set -euo pipefail

build="${1:?usage: bench.sh BUILD}"
here="$(cd "$(dirname "$0")" && pwd)"
prefix="$build/wineprefix"
. "$here/bitness.sh"
echo "bench: $(build_name "$build")"

cmake --build "$build" -j2 --target melvox_bench fakeamp >/dev/null
bench="$build/bench/melvox_bench.exe"

stop_wine() { "$here/wine-run.sh" --prefix "$prefix" --stop; }
trap stop_wine EXIT
"$here/wine-run.sh" --prefix "$prefix" --start >/dev/null

out="$(mktemp)"
trap 'rm -f "$out"; stop_wine' EXIT
run() { "$here/wine-run.sh" --prefix "$prefix" "$bench" "$@" | tr -d '\r' | tee -a "$out"; }

for songs in 1000 10000 50000; do
  for tags in 0 1; do run panel "$songs" "$tags"; done
done
for songs in 10000 50000; do run albums "$songs"; done
run scattered 1000
run cache 100000
run cache 100000 saved
for songs in 10000 50000; do run commands "$songs"; done
for songs in 10000 50000; do run putfiles "$songs"; done

# Growth: the median time at the larger size over the one at the smaller,
# against the ratio of the sizes.
growth() {
  local label="$1" small="$2" large="$3" factor="$4"
  local a b
  a="$(grep -F "$small" "$out" | head -1 | sed -n 's/^[^:]*: \([0-9]*\)ms.*/\1/p')"
  b="$(grep -F "$large" "$out" | head -1 | sed -n 's/^[^:]*: \([0-9]*\)ms.*/\1/p')"
  [ -n "$a" ] && [ -n "$b" ] && [ "$a" -gt 0 ] &&
    awk -v l="$label" -v a="$a" -v b="$b" -v f="$factor" \
      'BEGIN { printf "growth %s: %dms -> %dms, x%.2f for x%d the entries\n", l, a, b, b / a, f }'
}
echo
growth "panel (tags off)" "panel songs=10000 tags=off" "panel songs=50000 tags=off" 5
growth "albums" "albums songs=10000" "albums songs=50000" 5
growth "Del" "command songs=10000 Del:" "command songs=50000 Del:" 5
growth "F7" "command songs=10000 F7:" "command songs=50000 F7:" 5
growth "Shift+F1" "command songs=10000 Shift+F1" "command songs=50000 Shift+F1" 5
growth "Shift+F5" "command songs=10000 Shift+F5" "command songs=50000 Shift+F5" 5
growth "PutFiles" "PutFiles songs=10000" "PutFiles songs=50000" 5
