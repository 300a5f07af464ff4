#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# On a 144-dpi X screen (150 %, with Xft.dpi set as a desktop sets it) the
# window is scaled as a whole, built with Qt 5 or Qt 6: its picture is 1.5 times
# 825 x 560 (give or take the rounding of a grab), not 825 x 560 with grown
# fonts cut off by the fixed layout. Without Xft.dpi it keeps its pixels.
# Skipped (77) without Xvfb and xrdb.
# Usage: hidpi_check.sh BUILD_DIR
set -eu
build=$1
command -v xvfb-run >/dev/null && command -v xrdb >/dev/null || { echo "xvfb-run or xrdb is missing"; exit 77; }
work=$(mktemp -d)
"$build/sensor-sim" --link "$work/sensor" >/dev/null &
sim=$!
trap 'kill $sim; wait $sim; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -e "$work/sensor" ] && break; sleep 0.05; done
# The scale comes from the screen alone.
unset QT_ENABLE_HIGHDPI_SCALING QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
export QT_QPA_PLATFORM=xcb
# shot DPI XFT: the picture's size on a screen of DPI, with the desktop's
# Xft.dpi set (XFT=set) or not, as the X server alone reports it.
shot() {
    if [ "$2" = set ]; then
        set -- sh "$(dirname "$0")/xdpi.sh" "$1"
    else
        set -- xvfb-run -a -s "-screen 0 1920x1200x24 -dpi $1"
    fi
    "$@" "$build/orvante-shot" --port "$work/sensor" --page setting --out "$work/window.png" >/dev/null
    file "$work/window.png" | sed -n 's/.*PNG image data, \([0-9]*\) x \([0-9]*\),.*/\1 \2/p'
}
size=$(shot 144 set)
echo "picture at 144 dpi: $size"
set -- $size
# 825 x 560 times 1.5 is 1237.5 x 840.
[ "$1" -ge 1235 ] && [ "$1" -le 1239 ] && [ "$2" -ge 838 ] && [ "$2" -le 841 ]
# A server that reports 100 dpi of its own (Xvfb's default) while the desktop
# has said nothing: the window keeps its exact pixels, as Qt 6 keeps them.
size=$(shot 100 unset)
echo "picture at 100 dpi without Xft.dpi: $size"
[ "$size" = "825 560" ]
