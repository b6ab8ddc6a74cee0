#!/usr/bin/env bash
# Tells whether 32-bit Windows programs run on this machine: builds a tiny
# i686 program and runs it under Wine's 32-bit loader in the given prefix.
# Exit 0 when it ran, 1 otherwise (no wine32, or a kernel that executes no
# 32-bit code: every 32-bit binary then fails with "Exec format error").
# Quiet either way.
#   probe-wine32.sh PREFIX WORKDIR
set -uo pipefail

prefix="${1:?usage: probe-wine32.sh PREFIX WORKDIR}"
work="${2:?usage: probe-wine32.sh PREFIX WORKDIR}"
here="$(cd "$(dirname "$0")" && pwd)"

# The loader is itself a 32-bit Linux program: where it cannot start, stop
# before a Wine prefix is made for nothing.
[ -x /usr/lib/wine/wine ] || exit 1
/usr/lib/wine/wine --version </dev/null >/dev/null 2>&1 || exit 1

mkdir -p "$work" || exit 1
printf '#include <stdio.h>\nint main(void) { puts("32-bit ok"); return 0; }\n' > "$work/probe32.c"
i686-w64-mingw32-gcc-posix -o "$work/probe32.exe" "$work/probe32.c" >/dev/null 2>&1 || exit 1
out="$("$here/wine-run.sh" --prefix "$prefix" "$work/probe32.exe" </dev/null 2>/dev/null | tr -d '\r')" || exit 1
[ "$out" = "32-bit ok" ]
