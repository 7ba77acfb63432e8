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
# Its resources as Explorer and Properties -> Details read them: the icon file
# and the manifest as committed, the version numbers and strings of project().
# (wrestool writes the icon group's own 118 bytes after the icon file).
ico=$(dirname "$0")/../../assets/icon/snokrystal.ico manifest=$(dirname "$0")/../../app/snokrystal.manifest
wrestool -x -t group_icon "$program" | cmp -n "$(stat -c %s "$ico")" - "$ico" || { echo "not the icon of assets/icon/" >&2; exit 1; }
wrestool -x -R -t 24 "$program" | cmp - "$manifest" || { echo "not the manifest of app/" >&2; exit 1; }
IFS=. read -r major minor patch <<<"$2"
version=$(wrestool -x -R -t version "$program" | od -An -v -tx4 | tr -s ' \n' ' ')
version+=" |$(wrestool -x -R -t version "$program" | x86_64-w64-mingw32-strings -el | paste -sd'|')|"
for want in "$(printf 'feef04bd 00010000 %04x%04x %04x0000 ' "$major" "$minor" "$patch")" "|CompanyName|Nordlumen Spill|" \
  "|FileVersion|$2|" "|ProductVersion|$2|" "|ProductName|SNOKRYSTAL|" "|OriginalFilename|snokrystal.exe|" "|LegalCopyright|"; do
  [[ "$version" == *"$want"* ]] || { echo "the version resource lacks \"$want\": $version" >&2; exit 1; }
done
