#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The installer under Wine, as an administrator installs it, in a prefix of
# its own made fresh for this check:
# - setup.exe /S puts the zip's files into Program Files\ORVANTE_USART, with
#   Uninstall.exe beside them;
# - the Start-menu shortcut starts that orvante-usart.exe, and the Uninstall
#   key names the product, its version, publisher, icon, size and uninstaller;
# - the installed program starts and shows its window;
# - Uninstall.exe /S leaves no file behind (outside the temporary folder,
#   where an uninstaller runs from and Windows empties it at the next start)
#   and nothing about the program in the registry.
# Usage: installer.sh SETUP.exe ZIP VERSION   (DISPLAY)
set -eu
setup=$1 zip=$2 version=$3
test -n "${DISPLAY:-}" || { echo "needs an X display (./test.sh --windows runs Xvfb)"; exit 1; }
. "$(dirname "$0")/poll.sh"
work=$(mktemp -d)
# Without winemenubuilder, which would copy the shortcut into this machine's
# own desktop menu.
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d"
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
failed=0
fail() { echo "$*"; failed=1; }

wineboot -i >/dev/null 2>&1
wineserver -w
drive=$WINEPREFIX/drive_c
# Every file of the prefix but the temporary ones, and the registry's mentions of the program.
files() { (cd "$drive" && find . -path './users/*/Temp' -prune -o -print | LC_ALL=C sort); }
mentions() { cat "$WINEPREFIX"/*.reg | grep -ci orvante || true; }
files >"$work/before"
[ "$(mentions)" -eq 0 ] || { echo "a fresh prefix already mentions the program"; exit 1; }

wine "$setup" /S
wineserver -w
folder="$drive/Program Files/ORVANTE_USART"
test -f "$folder/orvante-usart.exe" || { echo "nothing installed in $folder"; exit 1; }

# Exactly the zip's files, and the uninstaller.
unzip -Z1 "$zip" | grep -v '/$' | sed 's|^[^/]*/||' | LC_ALL=C sort >"$work/zipped"
(cd "$folder" && find . -type f | sed 's|^\./||' | grep -vx Uninstall.exe | LC_ALL=C sort) >"$work/installed"
cmp -s "$work/zipped" "$work/installed" \
    || fail "installed files differ from the zip's: $(diff "$work/zipped" "$work/installed" | grep '^[<>]' | head -5 | tr '\n' ' ')"
test -f "$folder/Uninstall.exe" || fail "no Uninstall.exe"
echo "setup.exe /S installed the zip's $(wc -l <"$work/zipped") files and Uninstall.exe into Program Files"

shortcut="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/ORVANTE_USART.lnk"
if [ -f "$shortcut" ]; then
    target=$( (strings -a "$shortcut"; strings -a -el "$shortcut") | grep -i 'ORVANTE_USART\\orvante-usart\.exe$' | head -n 1)
    [ -n "$target" ] || fail "the Start-menu shortcut does not lead to ORVANTE_USART\\orvante-usart.exe"
    echo "Start menu: ORVANTE_USART.lnk -> $target"
else
    fail "no Start-menu shortcut for all users"
fi

key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\orvante-usart'
wine reg query "$key" | tr -d '\r' >"$work/key"
value() { awk -v name="$1" '$1 == name { $1 = ""; $2 = ""; sub(/^  /, ""); print }' "$work/key"; }
[ "$(value DisplayName)" = ORVANTE_USART ] || fail "DisplayName is '$(value DisplayName)'"
[ "$(value DisplayVersion)" = "$version" ] || fail "DisplayVersion is '$(value DisplayVersion)', not $version"
[ -n "$(value Publisher)" ] || fail "no Publisher"
[ "$(value DisplayIcon)" = 'C:\Program Files\ORVANTE_USART\orvante-usart.exe,0' ] \
    || fail "DisplayIcon is '$(value DisplayIcon)'"
[ "$(value UninstallString)" = '"C:\Program Files\ORVANTE_USART\Uninstall.exe"' ] \
    || fail "UninstallString is '$(value UninstallString)'"
size=$(value EstimatedSize)
[ $((size)) -gt 1000 ] || fail "EstimatedSize is '$size' KB"
echo "Uninstall entry: $(value DisplayName) $(value DisplayVersion) by $(value Publisher), $((size)) KB"

# The installed program starts and shows its window.
wine "C:\\Program Files\\ORVANTE_USART\\orvante-usart.exe" >"$work/program.log" 2>&1 &
shown() { xdotool search --onlyvisible --name '^ORVANTE_USART$' >/dev/null 2>&1; }
if poll 60 shown; then
    echo "the installed orvante-usart.exe shows its window"
else
    fail "the installed orvante-usart.exe showed no window: $(cat "$work/program.log")"
fi
wineserver -k || true
wineserver -w

wine "C:\\Program Files\\ORVANTE_USART\\Uninstall.exe" /S
# The uninstaller runs on from a copy of itself: until every process is gone.
wineserver -w
files >"$work/after"
if ! cmp -s "$work/before" "$work/after"; then
    fail "left behind: $(diff "$work/before" "$work/after" | grep '^[<>]' | head -5 | tr '\n' ' ')"
fi
[ "$(mentions)" -eq 0 ] || fail "the registry still mentions the program: $(cat "$WINEPREFIX"/*.reg | grep -i orvante | head -3)"
[ "$failed" -eq 0 ]
echo "Uninstall.exe /S left no file and no registry entry behind"
