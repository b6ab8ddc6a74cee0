#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix owned by the build folder.
#
#   wine-run.sh --prefix DIR [--locale ru] PROGRAM.exe [ARGS...]   run one program
#   wine-run.sh --prefix DIR --start                               prepare prefix, start server
#   wine-run.sh --prefix DIR --stop                                end every process of the prefix
#
# The test programs are 64-bit twins of the plug-in's code: this machine's kernel
# cannot execute 32-bit Linux binaries, so Wine's 32-bit loader is unusable here
# and only wine64 runs. The prefix gets the null graphics driver so windows work
# without a display, and its wineserver and services are started with their
# output on /dev/null: otherwise they inherit the pipe of the first program run
# and a test runner waiting for end-of-file on it hangs forever.
set -euo pipefail

prefix=""
locale=""
action=run
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix="$2"; shift 2 ;;
    --locale) locale="$2"; shift 2 ;;
    --start) action=start; shift ;;
    --stop) action=stop; shift ;;
    *) break ;;
  esac
done
[ -n "$prefix" ] || { echo "wine-run.sh: --prefix DIR is required" >&2; exit 2; }

prefix="$(realpath -m "$prefix")"
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINELOADER=/usr/lib/wine/wine64
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver64

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
    "$wine" wineboot -i </dev/null >/dev/null 2>&1 || true
    "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
    "$server" -k </dev/null >/dev/null 2>&1 || true
    "$server" -w </dev/null >/dev/null 2>&1 || true
    touch "$prefix/.melvox-ready"
  fi
  if ! server_running; then
    "$server" -p </dev/null >/dev/null 2>&1 || true
    "$wine" wineboot </dev/null >/dev/null 2>&1 || true
  fi
  flock -u 9
}

case "$action" in
  start) prepare ;;
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
