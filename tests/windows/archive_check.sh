#!/usr/bin/env bash
# The release archive: the game folder with the program, both fonts, the keys
# and a licence for every third-party part; a Windows GUI program that
# imports only DLLs every Windows ships, WinINet among them (the Wine check
# plays its client).
set -euo pipefail
archive=$1
[ -f "$archive" ] || { echo "no $archive: scripts/package makes it" >&2; exit 1; }
listing=$(unzip -Z1 "$archive")
for file in snokrystal.exe README.txt assets/SpaceMono-Regular.ttf assets/Syne-Bold.ttf \
  licenses/{SFML,FreeType,HarfBuzz,SheenBidi,FLAC,Ogg,Vorbis,miniaudio,stb,mingw-w64,GCC-runtime}.txt \
  licenses/{SpaceMono,Syne}-OFL.txt; do
  grep -qx "snokrystal/$file" <<<"$listing" || { echo "missing from the archive: $file" >&2; exit 1; }
done
program=$(mktemp)
trap 'rm -f "$program"' EXIT
unzip -p "$archive" snokrystal/snokrystal.exe >"$program"
headers=$(x86_64-w64-mingw32-objdump -p "$program")
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || { echo "not a GUI program" >&2; exit 1; }
imports=$(sed -n 's/^\tDLL Name: //p' <<<"$headers" | sort -f | tr '\n' ' ')
[ "$imports" = "ADVAPI32.dll GDI32.dll KERNEL32.dll msvcrt.dll OPENGL32.dll USER32.dll WININET.dll WINMM.dll " ] ||
  { echo "imports other DLLs: $imports" >&2; exit 1; }
echo "imports: $imports"
