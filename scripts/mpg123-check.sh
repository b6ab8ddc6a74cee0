#!/usr/bin/env bash
# Debian's mpg123 reads the playlists the plug-in saved: for every .m3u and
# .pls file in DIR, a copy has each Windows path of a song mapped to the Unix
# path Wine gives it (through the prefix's drive links), and
# `mpg123 -t -@ COPY` must decode every listed song, without an error, in the
# order the file lists them.
#   mpg123-check.sh PREFIX DIR      (the Wine prefix the Windows tests ran in)
set -euo pipefail

prefix="${1:?usage: mpg123-check.sh PREFIX DIR}"
dir="${2:?usage: mpg123-check.sh PREFIX DIR}"
command -v mpg123 >/dev/null || { echo "mpg123-check: mpg123 is not installed" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# "X:\a\b" -> the Unix target of the prefix's drive X, then "a/b".
unix_path() {
  local path="$1" drive rest root
  drive="$(printf '%s' "${path:0:1}" | tr 'A-Z' 'a-z')"
  rest="${path:2}"
  root="$(readlink -f "$prefix/dosdevices/$drive:")" || return 1
  printf '%s%s' "${root%/}" "${rest//\\//}"
}

shopt -s nullglob
lists=("$dir"/*.m3u "$dir"/*.pls)
[ ${#lists[@]} -gt 0 ] || { echo "mpg123-check: no playlists in $dir" >&2; exit 1; }
failed=0
for list in "${lists[@]}"; do
  copy="$work/$(basename "$list")"
  : >"$copy"
  expected=()
  while IFS= read -r line || [ -n "$line" ]; do
    line="${line%$'\r'}"
    if [[ "$list" == *.pls && "$line" =~ ^(File[0-9]+)=(.*)$ ]]; then
      song="$(unix_path "${BASH_REMATCH[2]}")"
      line="${BASH_REMATCH[1]}=$song"
      expected+=("$(basename "$song")")
    elif [[ "$list" == *.m3u && -n "$line" && "$line" != \#* ]]; then
      line="$(unix_path "$line")"
      expected+=("$(basename "$line")")
    fi
    printf '%s\r\n' "$line" >>"$copy"
  done <"$list"

  status=0
  output="$(mpg123 -t -v -@ "$copy" 2>&1)" || status=$?
  decoded=()
  while IFS= read -r name; do decoded+=("$name"); done < <(
    printf '%s\n' "$output" | sed -n 's/^\[[0-9:]*\] Decoding of \(.*\) finished\.$/\1/p')
  problems="$(printf '%s\n' "$output" | grep -i 'error\|cannot\|failed' || true)"
  # Each song that holds MPEG audio announces its stream format once.
  streams="$(printf '%s\n' "$output" | grep -c '^MPEG [0-9.]* L I' || true)"
  if [ "$status" -ne 0 ] || [ -n "$problems" ] || [ "${decoded[*]}" != "${expected[*]}" ] ||
     [ "${#expected[@]}" -eq 0 ] || [ "$streams" -ne "${#expected[@]}" ]; then
    echo "mpg123-check: $(basename "$list"): exit $status"
    echo "  listed:  ${expected[*]}"
    echo "  decoded: ${decoded[*]}"
    [ -z "$problems" ] || printf '  %s\n' "$problems"
    failed=1
  else
    echo "mpg123-check: $(basename "$list"): ${#decoded[@]} songs decoded in order"
  fi
done
exit "$failed"
