#!/usr/bin/env bash
# The Windows zip and installer as shipped (scripts/package windows):
# - every DLL that a program or library in the zip imports is in the zip
#   beside it or is Windows' own (in the prefix's system32, where Wine keeps
#   its builtin DLLs, or an API set, api-ms-win-*, that the loader resolves),
#   and every DLL beside the program is imported by one;
# - the installer, silent for the current user, installs a program that
#   runs, a Start-menu entry and an uninstall entry, and its uninstaller
#   removes all three.
# Usage: windows_package.sh ZIP SETUP   (WINEPREFIX set)
set -euo pipefail
zip=$1 setup=$2
wine() { WINEDEBUG=-all DISPLAY= /usr/lib/wine/wine64 "$@"; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

unzip -q "$zip" -d "$work"
top=$(echo "$work"/zolvek-*)
[ -f "$top/platforms/qwindows.dll" ] || fail "no Windows platform plugin in the zip"
imported=" "
while IFS= read -r file; do
  for dll in $(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
    imported+="${dll,,} "
    [[ "${dll,,}" == api-ms-win-* ]] || [ -n "$(find "$top" "$WINEPREFIX/drive_c/windows/system32" -maxdepth 1 -iname "$dll")" ] ||
      fail "${file#"$top/"} imports $dll, which is neither in the zip nor a system DLL"
  done
done < <(find "$top" -iname '*.exe' -o -iname '*.dll')
for dll in "$top"/*.dll; do
  name=$(basename "$dll")
  [[ "$imported" == *" ${name,,} "* ]] || fail "nothing imports $name"
done

start_menu=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/"Start Menu"/Programs
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zolvek'
installed=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Programs/Zolvek
wine "$setup" /S /CurrentUser
[ "$(wine "$installed/zolvek.exe" --version | tr -d '\r')" = "zolvek $(basename "$top" | cut -d- -f2)" ] ||
  fail "the installed zolvek.exe does not run"
[ -f "$start_menu/Zolvek.lnk" ] || fail "no Start-menu entry"
wine reg query "$key" /v UninstallString >/dev/null 2>&1 || fail "no uninstall entry"
wine "$installed/uninstall.exe" /S
for _ in $(seq 100); do [ -e "$installed" ] || break; sleep 0.1; done
[ ! -e "$installed" ] || fail "the uninstaller left $(ls "$installed")"
[ ! -e "$start_menu/Zolvek.lnk" ] || fail "the uninstaller left the Start-menu entry"
! wine reg query "$key" >/dev/null 2>&1 || fail "the uninstaller left the uninstall entry"
echo "PASS: the zip holds what its programs import; the installer installs and uninstalls"
