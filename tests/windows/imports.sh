#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Every DLL that an executable or DLL in the Windows zip imports is in the zip
# (beside the programs, where Windows looks first) or is part of Windows (in
# the Wine prefix's system32): a DLL left out fails here, not on a user's PC.
# Its licences: the notices of what Qt bundles, and Windows line ends.
# Usage: imports.sh ZIP   (WINEPREFIX: the prefix whose system32 stands for Windows)
set -eu
zip=$1
. "$(dirname "$0")/unzipped.sh"
system32="$WINEPREFIX/drive_c/windows/system32"
test -d "$system32"

lower() { tr '[:upper:]' '[:lower:]'; }
(cd "$top" && ls) | lower >"$work/beside"
ls "$system32" | lower >"$work/windows"
missing=0
checked=0
for binary in $(cd "$top" && find . -iname '*.exe' -o -iname '*.dll' | sort); do
    checked=$((checked + 1))
    for dll in $(x86_64-w64-mingw32-objdump -p "$top/$binary" | sed -n 's/^\s*DLL Name: //p' | lower); do
        if ! grep -qx "$dll" "$work/beside" && ! grep -qx "$dll" "$work/windows"; then
            echo "$binary imports $dll, which is neither in the zip nor part of Windows"
            missing=1
        fi
    done
done
test "$checked" -gt 0
for needed in orvante-usart.exe orvante-ctl.exe platforms/qwindows.dll img/ORV_DD.png \
    LICENSE.txt README-windows.txt; do
    test -f "$top/$needed" || { echo "the zip lacks $needed"; missing=1; }
done
# The notices of what tools/qt-mingw.sh tells Qt to bundle (-qt-zlib,
# -qt-libpng, -qt-freetype, -qt-harfbuzz, -qt-pcre) and of what Qt compiles in
# by itself, and every text a user opens with Windows line ends only.
for notice in zlib libpng freetype harfbuzz-ng pcre2 doubleconversion md4c tinycbor; do
    test -s "$top/licenses/qt-$notice.txt" || { echo "the zip lacks licenses/qt-$notice.txt"; missing=1; }
done
texts=0
for text in "$top"/*.txt "$top"/licenses/*.txt; do
    texts=$((texts + 1))
    # As many carriage returns as line feeds, and some.
    crs=$(tr -cd '\r' <"$text" | wc -c)
    if [ "$crs" -eq 0 ] || [ "$crs" -ne "$(tr -cd '\n' <"$text" | wc -c)" ]; then
        echo "$(basename "$text") has Unix line ends"
        missing=1
    fi
done
[ "$missing" -eq 0 ]
echo "$texts texts with Windows line ends, among them $(ls "$top/licenses" | grep -c '^qt-') notices of what the Qt DLLs bundle"
echo "$checked executables and DLLs in $(basename "$zip"): every import is in the zip or in Windows"
