#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# What Explorer reads from both executables of the zip, read back with
# wrestool (icoutils) and ImageMagick: the icon (16 to 256 pixels; its 128-pixel picture is the window
# icon's, pixel for pixel), the VERSIONINFO (product, version, description,
# copyright, licence) and the manifest (per-monitor DPI aware, common
# controls 6, asInvoker).
# Usage: resources.sh ZIP VERSION ICON.png
set -eu
zip=$1 version=$2 icon=$3
. "$(dirname "$0")/unzipped.sh"
failed=0
fail() { echo "$*"; failed=1; }

for exe in orvante-usart.exe orvante-ctl.exe; do
    file="$top/$exe"
    wrestool -x --type=group_icon "$file" >"$work/icon.ico" 2>/dev/null || true
    # ImageMagick reads the 256-pixel picture, stored as PNG, which icotool cannot.
    sizes=$(identify -format '%w\n' "$work/icon.ico" 2>/dev/null | sort -n | tr '\n' ' ')
    [ "$sizes" = "16 20 24 32 40 48 64 128 256 " ] || fail "$exe: icon sizes '$sizes'"
    frame=$(identify -format '%p %w\n' "$work/icon.ico" 2>/dev/null | awk '$2 == 128 { print $1; exit }')
    convert "$work/icon.ico[${frame:-0}]" "$work/128.png" 2>/dev/null || true
    differing=$(compare -metric AE "$work/128.png" "$icon" null: 2>&1 || true)
    [ "$differing" = 0 ] || fail "$exe: its 128-pixel icon differs from $(basename "$icon") in '$differing' pixels"

    # The string table's keys and values, in order, one a line.
    wrestool -x --raw --type=version "$file" >"$work/version" 2>/dev/null || true
    python3 - "$work/version" >"$work/strings" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
for token in data.decode("utf-16-le", "replace").split("\0"):
    token = "".join(c for c in token if c.isprintable()).strip()
    if token:
        print(token)
PY
    value() { awk -v key="$1" 'found { print; exit } index($0, key) && length($0) - index($0, key) + 1 == length(key) { found = 1 }' "$work/strings"; }
    [ "$(value ProductName)" = ORVANTE_USART ] || fail "$exe: ProductName '$(value ProductName)'"
    [ "$(value ProductVersion)" = "$version" ] || fail "$exe: ProductVersion '$(value ProductVersion)'"
    [ "$(value FileVersion)" = "$version" ] || fail "$exe: FileVersion '$(value FileVersion)'"
    [ "$(value OriginalFilename)" = "$exe" ] || fail "$exe: OriginalFilename '$(value OriginalFilename)'"
    case $(value FileDescription) in *ORVANTE_USART*) ;; *) fail "$exe: FileDescription '$(value FileDescription)'" ;; esac
    case $(value LegalCopyright) in Copyright*) ;; *) fail "$exe: LegalCopyright '$(value LegalCopyright)'" ;; esac
    case $(value Comments) in *"GNU General Public License, version 3 or later"*) ;; *) fail "$exe: Comments '$(value Comments)'" ;; esac

    manifest=$(wrestool -x --raw --type=24 "$file" 2>/dev/null | tr -d '\n' || true)
    for wanted in '<dpiAwareness[^>]*>PerMonitor<' 'name="Microsoft.Windows.Common-Controls" version="6' \
        'requestedExecutionLevel level="asInvoker"'; do
        printf '%s' "$manifest" | grep -q "$wanted" || fail "$exe: the manifest lacks $wanted"
    done
    echo "$exe: icon at $sizes px, $(value ProductName) $(value ProductVersion), \"$(value FileDescription)\", manifest"
done
[ "$failed" -eq 0 ]
