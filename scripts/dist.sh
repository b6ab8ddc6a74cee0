#!/usr/bin/env bash
# The installable plug-in: OUTDIR/MELVOX/ (melvox.dll, language and help files,
# readme.txt) and OUTDIR/MELVOX.zip.
#   dist.sh BUILD_WIN32 OUTDIR
set -euo pipefail

build="${1:?usage: dist.sh BUILD_WIN32 OUTDIR}"
out="${2:?usage: dist.sh BUILD_WIN32 OUTDIR}"
dll="$build/src/melvox.dll"

if [ ! -f "$dll" ]; then
  echo "dist.sh: $dll is not built yet (the plug-in's entry points are not linked); nothing to package" >&2
  exit 1
fi

folder="$out/MELVOX"
rm -rf "$folder" "$out/MELVOX.zip"
mkdir -p "$folder"
cp "$dll" "$folder/"
# The host finds the plug-in's texts as *.lng and its help as *.hlf beside the
# DLL, by their .Language line: a package without them shows no text and no help.
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
  "Install: copy this MELVOX folder into the Plugins folder of FAR Manager 1.x" \
  "and restart FAR. Open the playlist panel from the disks menu (Alt+F1 or" \
  "Alt+F2) or the plug-ins menu (F11); its options are in the plug-ins" \
  "configuration menu." \
  "" \
  "Needs: Winamp 2.x (or a player answering its window messages), installed so" \
  "that its file type is registered; MELVOX starts it when it is not running." \
  > "$folder/readme.txt"

(cd "$out" && zip -q -r -X MELVOX.zip MELVOX)
echo "dist.sh: $folder and $out/MELVOX.zip"
