#!/usr/bin/env bash
# The Windows zip and installer (scripts/package windows): each DLL a file in
# the zip imports is in it or Windows' own (Wine's system32, an api-ms-win-*
# API set), each DLL in it is imported; the silent installer installs a
# zolvek.exe that runs, a Start-menu and an uninstall entry, and the
# uninstaller removes them. Usage: windows_package.sh ZIP SETUP (WINEPREFIX set)
set -euo pipefail
wine() { WINEDEBUG=-all DISPLAY= /usr/lib/wine/wine64 "$@"; }
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$1" -d "$work"
top=$(echo "$work"/zolvek-*) imported=" "
[ -f "$top/platforms/qwindows.dll" ] || fail "no Windows platform plugin in the zip"
for file in $(find "$top" -iname '*.exe' -o -iname '*.dll'); do
  for dll in $(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
    imported+="${dll,,} "
    [[ ${dll,,} == api-ms-win-* ]] || [ -n "$(find "$top" "$WINEPREFIX/drive_c/windows/system32" \
      -maxdepth 1 -iname "$dll")" ] || fail "${file##*/} imports $dll, neither in the zip nor Windows' own"
  done
done
for dll in "$top"/*.dll; do
  [[ $imported == *" $(basename "${dll,,}") "* ]] || fail "nothing imports ${dll##*/}"
done

home=$WINEPREFIX/drive_c/users/$(id -un)/AppData dir=$home/Local/Programs/Zolvek
lnk="$home/Roaming/Microsoft/Windows/Start Menu/Programs/Zolvek.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zolvek'
wine "$2" /S /CurrentUser
wine "$dir/zolvek.exe" --version | grep -q '^zolvek [0-9]' || fail "the installed program does not run"
[ -f "$lnk" ] && wine reg query "$key" >/dev/null || fail "no Start-menu or uninstall entry"
wine "$dir/uninstall.exe" /S
for _ in $(seq 100); do [ -e "$dir" ] || break; sleep 0.1; done
[ ! -e "$dir" ] && [ ! -e "$lnk" ] && ! wine reg query "$key" >/dev/null 2>&1 ||
  fail "the uninstaller left files, the Start-menu or the uninstall entry"
echo "PASS: the zip holds what its programs import; the installer installs and uninstalls"
