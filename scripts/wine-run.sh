#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix owned by the build folder.
#
#   wine-run.sh --prefix DIR [--arch i686|x86_64] [--locale ru] PROGRAM.exe [ARGS...]   run one program
#   wine-run.sh --prefix DIR --start                                                     prepare prefix, start server
#   wine-run.sh --prefix DIR --stop                                                      end every process of the prefix
#
# A 32-bit program (the shipped plug-in's build) runs with Wine's 32-bit
# loader, which works only where the kernel executes 32-bit Linux binaries
# (scripts/probe-wine32.sh finds out); a 64-bit one (the x64 plug-in's build) with
# wine64. The loader follows the program's PE header unless --arch says
# otherwise. Both kinds share one 64-bit prefix and its wineserver. The prefix
# gets the null graphics driver so windows work without a display, and its
# wineserver and services are started with their output on /dev/null:
# otherwise they inherit the pipe of the first program run and a test runner
# waiting for end-of-file on it hangs forever.
set -euo pipefail

prefix=""
locale=""
arch=""
action=run
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix="$2"; shift 2 ;;
    --arch) arch="$2"; shift 2 ;;
    --locale) locale="$2"; shift 2 ;;
    --start) action=start; shift ;;
    --stop) action=stop; shift ;;
    *) break ;;
  esac
done
[ -n "$prefix" ] || { echo "wine-run.sh: --prefix DIR is required" >&2; exit 2; }

prefix="$(realpath -m "$prefix")"
export WINEPREFIX="$prefix"
# MELVOX_WINEDEBUG=warn+heap makes Wine fill freed heap blocks (0xfeeefeee),
# so a text read from freed memory shows.
export WINEDEBUG="${MELVOX_WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
wine64=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver64

# The machine field of a PE file's header: 14c for i386, 8664 for x86-64.
pe_machine() {
  local offset
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 0
  [ -n "$offset" ] && od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' '
}
if [ -z "$arch" ]; then
  arch=x86_64
  if [ "$action" = run ] && [ $# -gt 0 ] && [ -f "$1" ] && [ "$(pe_machine "$1")" = 014c ]; then
    arch=i686
  fi
fi
case "$arch" in
  i686) wine=/usr/lib/wine/wine ;;
  x86_64) wine=$wine64 ;;
  *) echo "wine-run.sh: --arch i686 or x86_64" >&2; exit 2 ;;
esac
export WINELOADER=$wine

server_running() {
  # Signal 0 only asks whether the prefix's server is alive.
  "$server" -k0 >/dev/null 2>&1
}

prepare() {
  mkdir -p "$(dirname "$prefix")"
  exec 9>"$prefix.lock"
  flock 9
  if [ ! -f "$prefix/.melvox-ready" ]; then
    rm -rf "$prefix"
    WINELOADER=$wine64 "$wine64" wineboot -i </dev/null >/dev/null 2>&1 || true
    WINELOADER=$wine64 "$wine64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
    "$server" -k </dev/null >/dev/null 2>&1 || true
    "$server" -w </dev/null >/dev/null 2>&1 || true
    touch "$prefix/.melvox-ready"
  fi
  if ! server_running; then
    "$server" -p </dev/null >/dev/null 2>&1 || true
    WINELOADER=$wine64 "$wine64" wineboot </dev/null >/dev/null 2>&1 || true
  fi
  flock -u 9
}

case "$action" in
  start)
    prepare
    # A test program killed part-way (a timeout, a watchdog) leaves its player
    # registration and its settings tree behind, and the next run would find
    # them: a test run starts without either.
    for key in 'HKCU\Software\MelvoxTest' 'HKCR\Winamp.File'; do
      "$wine64" reg delete "$key" /f </dev/null >/dev/null 2>&1 || true
    done ;;
  stop)
    if [ -d "$prefix" ]; then
      "$server" -k </dev/null >/dev/null 2>&1 || true
      "$server" -w </dev/null >/dev/null 2>&1 || true
    fi ;;
  run)
    [ $# -gt 0 ] || { echo "wine-run.sh: no program given" >&2; exit 2; }
    prepare
    # Wine takes its ANSI and OEM code pages from the Unix locale:
    # ru_RU.UTF-8 gives 1251 / 866, the default 1252 / 437.
    case "$locale" in
      "") exec "$wine" "$@" ;;
      ru) exec env LC_ALL=ru_RU.UTF-8 "$wine" "$@" ;;
      *) exec env LC_ALL="$locale" "$wine" "$@" ;;
    esac ;;
esac
