#!/usr/bin/env bash
# The release archive: the game folder with the program, both fonts, the keys
# and a licence for every third-party part; a Windows GUI program that
# imports only DLLs every Windows ships, WinINet among them (the Wine check
# plays its client). An archive that cannot be read (scripts/package makes it)
# misses every file.
set -euo pipefail
missing=$(comm -13 <(unzip -Z1 "$1" | sort) <(printf 'snokrystal/%s\n' snokrystal.exe README.txt \
  assets/{SpaceMono-Regular,Syne-Bold}.ttf licenses/{SpaceMono,Syne}-OFL.txt \
  licenses/{SFML,FreeType,HarfBuzz,SheenBidi,FLAC,Ogg,Vorbis,miniaudio,stb,mingw-w64,GCC-runtime}.txt | sort))
[ -z "$missing" ] || { echo "missing from the archive:" $missing >&2; exit 1; }
program=$(mktemp)
trap 'rm -f "$program"' EXIT
unzip -p "$1" snokrystal/snokrystal.exe >"$program"
# The subsystem sorted in among the DLLs' names
found=$(x86_64-w64-mingw32-objdump -p "$program" | sed -nE 's/^Subsystem.*\((.*)\)$/\1/p; s/^\tDLL Name: //p' | sort -f)
shipped="ADVAPI32.dll GDI32.dll KERNEL32.dll msvcrt.dll OPENGL32.dll USER32.dll Windows GUI WININET.dll WINMM.dll"
[ "$(echo $found)" = "$shipped" ] || { echo "not a Windows GUI program importing only $shipped:" $found >&2; exit 1; }
