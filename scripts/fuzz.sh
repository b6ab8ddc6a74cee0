#!/usr/bin/env bash
# Runs the libFuzzer harnesses of a fuzz build (see fuzz/README.md).
#   scripts/fuzz.sh BUILD smoke        every seed of each corpus, then a few seconds of fresh inputs
#   scripts/fuzz.sh BUILD long [SECS]  each harness for SECS seconds (default 180)
# New inputs go to BUILD/corpus/<harness>, never into the repository; a crash
# leaves its input in BUILD/crashes/<harness>/ and fails the run.
set -uo pipefail

build=${1:?build folder}
mode=${2:-smoke}
root=$(cd "$(dirname "$0")/.." && pwd)
case "$mode" in
  smoke) seconds=${FUZZ_SMOKE_SECONDS:-2} ;;
  long) seconds=${3:-180} ;;
  *) echo "fuzz: unknown mode $mode" >&2; exit 2 ;;
esac

shopt -s nullglob
harnesses=("$build"/fuzz/*Fuzz)
if [ ${#harnesses[@]} -eq 0 ]; then
  echo "fuzz: no harnesses in $build/fuzz" >&2
  exit 1
fi

failed=0
for program in "${harnesses[@]}"; do
  harness=$(basename "$program" Fuzz)
  seeds="$root/fuzz/corpus/$harness"
  work="$build/corpus/$harness"
  crashes="$build/crashes/$harness"
  log="$build/logs/$harness.log"
  [ "$mode" = smoke ] && rm -rf "$work"
  mkdir -p "$work" "$crashes" "$(dirname "$log")"
  dirs=("$work")
  [ -d "$seeds" ] && dirs+=("$seeds")
  "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$crashes/" "${dirs[@]}" >"$log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  seedCount=$(find "$seeds" -type f 2>/dev/null | wc -l)
  found=$(find "$work" -type f | wc -l)
  if [ $status -eq 0 ]; then
    printf 'fuzz: %-16s %10s runs in %ss, %s seeds, %s inputs found so far\n' "$harness" \
      "${runs:-?}" "$seconds" "$seedCount" "$found"
  else
    failed=1
    echo "fuzz: $harness FAILED (exit $status); inputs kept in $crashes:"
    ls "$crashes"
    grep -E "ERROR|check failed|SUMMARY|runtime error|^    #[0-9] " "$log" | head -12
  fi
done
exit $failed
