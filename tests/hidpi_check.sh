#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The window keeps its 825 x 560 device pixels on a 192-dpi screen, built with
# Qt 5 or Qt 6. Qt 6's offscreen platform plays such a screen; Qt 5's ignores
# the setting, and a Qt 5 window is not scaled by DPI anyway.
# Usage: hidpi_check.sh BUILD_DIR
set -eu
build=$1
work=$(mktemp -d)
"$build/sensor-sim" --link "$work/sensor" >/dev/null &
sim=$!
trap 'kill $sim; wait $sim; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -e "$work/sensor" ] && break; sleep 0.05; done
echo '{"screens": [{"name": "hidpi", "x": 0, "y": 0, "width": 3840, "height": 2160,
                    "logicalDpi": 192}]}' >"$work/screen.json"
env -u QT_ENABLE_HIGHDPI_SCALING -u QT_SCALE_FACTOR QT_QPA_PLATFORM="offscreen:configfile=$work/screen.json" \
    "$build/orvante-shot" --port "$work/sensor" --out "$work/window.png"
file "$work/window.png"
file "$work/window.png" | grep -q 'PNG image data, 825 x 560,'
