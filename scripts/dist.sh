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
if [ -d "$build/lang" ]; then
  find "$build/lang" -maxdepth 1 -type f \( -iname '*.lng' -o -iname '*.hlp' \) -exec cp {} "$folder/" \;
fi

# CR LF: the readme is read on Windows.
printf '%s\r\n' \
  "MELVOX - the Winamp playlist as a FAR Manager panel" \
  "" \
  "Install: copy this MELVOX folder into the Plugins folder of FAR Manager 1.x" \
  "and restart FAR. Open the panel from the plug-ins menu (F11)." \
  "" \
  "Needs: Winamp 2.x (or a player answering its window messages), installed so" \
  "that its file type is registered; MELVOX starts it when it is not running." \
  > "$folder/readme.txt"

(cd "$out" && zip -q -r -X MELVOX.zip MELVOX)
echo "dist.sh: $folder and $out/MELVOX.zip"
