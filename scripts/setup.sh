#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test the plug-in.
# Idempotent and quiet: apt-get runs only when a package is missing.
set -euo pipefail

packages=(
  make cmake g++ googletest zip
  mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64
  python3 python3-mutagen mpg123
  clang libclang-rt-14-dev
)

sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"

# Wine's 32-bit half runs the shipped 32-bit build's tests. It needs the i386
# architecture; where dpkg cannot add it, the tests run the 64-bit build only.
i386_packages=()
if dpkg --print-foreign-architectures 2>/dev/null | grep -qx i386 ||
   $sudo_cmd dpkg --add-architecture i386 >/dev/null 2>&1; then
  i386_packages=(wine32:i386)
fi

missing() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

mapfile -t absent < <(missing "${packages[@]}")
mapfile -t absent32 < <(missing "${i386_packages[@]}")

if [ ${#absent[@]} -gt 0 ] || [ ${#absent32[@]} -gt 0 ]; then
  echo "setup: installing ${absent[*]} ${absent32[*]}"
  $sudo_cmd apt-get update -qq >/dev/null
fi
if [ ${#absent[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends \
    "${absent[@]}" >/dev/null
fi
if [ ${#absent32[@]} -gt 0 ]; then
  # Optional: without it the probe in `make test` runs every suite on the 64-bit build.
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends \
    "${absent32[@]}" >/dev/null 2>&1 || echo "setup: ${absent32[*]} could not be installed; the tests will run the 64-bit build only"
fi
