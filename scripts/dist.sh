#!/usr/bin/env bash
# The installable plug-in, one folder and zip per host bitness:
#   OUTDIR/MELVOX/   and OUTDIR/MELVOX.zip    the 32-bit melvox.dll (32-bit hosts)
#   OUTDIR/MELVOX64/ and OUTDIR/MELVOX64.zip  the x64 melvox.dll (64-bit hosts)
# each with the language and help files and a readme. The DLLs are the files
# the builds made and the tests loaded: without debug sections, their symbols
# kept beside the build as melvox.dll.debug.
#   dist.sh BUILD_WIN32 BUILD_WIN64 OUTDIR
set -euo pipefail

build32="${1:?usage: dist.sh BUILD_WIN32 BUILD_WIN64 OUTDIR}"
build64="${2:?usage: dist.sh BUILD_WIN32 BUILD_WIN64 OUTDIR}"
out="${3:?usage: dist.sh BUILD_WIN32 BUILD_WIN64 OUTDIR}"

# package NAME BUILD BITS OTHER_NAME OTHER_BITS
package() {
  local name="$1" build="$2" bits="$3" other="$4" otherBits="$5"
  local dll="$build/src/melvox.dll" folder="$out/$name"
  if [ ! -f "$dll" ]; then
    echo "dist.sh: $dll is not built; nothing packaged" >&2
    exit 1
  fi
  rm -rf "$folder" "$out/$name.zip"
  mkdir -p "$folder"
  cp "$dll" "$folder/"
  # The host finds the plug-in's texts as *.lng and its help as *.hlf beside
  # the DLL, by their .Language line: a package without them shows no text
  # and no help.
  local f
  for f in melvoxEng.lng melvoxRus.lng melvoxEng.hlf melvoxRus.hlf; do
    if [ ! -f "$build/lang/$f" ]; then
      echo "dist.sh: $build/lang/$f is missing; nothing packaged" >&2
      rm -rf "$folder"
      exit 1
    fi
    cp "$build/lang/$f" "$folder/"
  done
  # CR LF: the readme is read on Windows.
  printf '%s\r\n' \
    "MELVOX - the Winamp playlist as a FAR Manager panel" \
    "" \
    "This is the plug-in for $bits FAR Manager. A $bits FAR loads only this" \
    "build; for a $otherBits FAR take $other.zip instead. FAR's About box (or the" \
    "folder it is installed in: \"Program Files (x86)\" holds 32-bit programs)" \
    "tells which one you run." \
    "" \
    "Install: copy this $name folder into the Plugins folder of FAR Manager 1.x" \
    "(or of a later FAR that loads 1.x plug-ins) and restart FAR. Open the" \
    "playlist panel from the disks menu (Alt+F1 or Alt+F2) or the plug-ins menu" \
    "(F11); its options are in the plug-ins configuration menu." \
    "" \
    "Needs: Winamp 2.x (or a player answering its window messages), installed so" \
    "that its file type is registered; MELVOX starts it when it is not running." \
    "The player stays the 32-bit program it is, also beside a 64-bit FAR: the" \
    "plug-in only sends it window messages and reads the files it writes." \
    > "$folder/readme.txt"
  (cd "$out" && zip -q -r -X "$name.zip" "$name")
  echo "dist.sh: $folder and $out/$name.zip ($bits)"
}

mkdir -p "$out"
package MELVOX "$build32" 32-bit MELVOX64 64-bit
package MELVOX64 "$build64" 64-bit MELVOX 32-bit
