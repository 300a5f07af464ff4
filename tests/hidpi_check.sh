#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# On a 144-dpi X screen (150 %) the window is scaled as a whole, built with
# Qt 5 or Qt 6: its picture is 1.5 times 825 x 560 (give or take the rounding
# of a grab), not 825 x 560 with grown fonts cut off by the fixed layout.
# Skipped (77) without Xvfb.
# Usage: hidpi_check.sh BUILD_DIR
set -eu
build=$1
command -v xvfb-run >/dev/null && command -v xrdb >/dev/null || { echo "xvfb-run or xrdb is missing"; exit 77; }
work=$(mktemp -d)
"$build/sensor-sim" --link "$work/sensor" >/dev/null &
sim=$!
trap 'kill $sim; wait $sim; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -e "$work/sensor" ] && break; sleep 0.05; done
env -u QT_ENABLE_HIGHDPI_SCALING -u QT_SCALE_FACTOR -u QT_SCREEN_SCALE_FACTORS QT_QPA_PLATFORM=xcb \
    sh "$(dirname "$0")/xdpi.sh" 144 "$build/orvante-shot" --port "$work/sensor" --page setting --out "$work/window.png"
size=$(file "$work/window.png" | sed -n 's/.*PNG image data, \([0-9]*\) x \([0-9]*\),.*/\1 \2/p')
echo "picture at 144 dpi: $size"
set -- $size
# 825 x 560 times 1.5 is 1237.5 x 840.
[ "$1" -ge 1235 ] && [ "$1" -le 1239 ] && [ "$2" -ge 838 ] && [ "$2" -le 841 ]
