#!/bin/sh
# Converts a UTF-8 language or help file to a console code page with CR LF
# line ends:
#   convert-text.sh SOURCE OUTPUT CODEPAGE
# A character the code page cannot hold, or bytes that are not UTF-8, fail the
# conversion with the source's name and line; no output is left behind then,
# so a half-converted file can never ship.
set -eu

in="$1"
out="$2"
codepage="$3"
tmp="$out.tmp"
trap 'rm -f "$tmp" "$out.crlf"' EXIT

if ! iconv -f UTF-8 -t "$codepage" < /dev/null > /dev/null 2>&1; then
  rm -f "$out"
  echo "$in: error: iconv does not know the code page $codepage" >&2
  exit 1
fi

if iconv -f UTF-8 -t "$codepage" "$in" > "$tmp" 2>/dev/null; then
  sed 's/$/\r/' "$tmp" > "$out.crlf"
  mv "$out.crlf" "$out"
  exit 0
fi

rm -f "$out"
# iconv names only a byte position: find the first line that fails on its own.
n=0
while IFS= read -r line || [ -n "$line" ]; do
  n=$((n + 1))
  if ! printf '%s\n' "$line" | iconv -f UTF-8 -t "$codepage" > /dev/null 2>&1; then
    echo "$in:$n: error: this line cannot be written in $codepage (or is not UTF-8): $line" >&2
    exit 1
  fi
done < "$in"
echo "$in: error: iconv cannot convert the file to $codepage" >&2
exit 1
