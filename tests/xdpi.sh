#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a virtual X screen of DPI dots per inch, set up as a desktop
# set to that scale sets it: the screen's size in millimetres (what Qt 5 reads)
# and the Xft.dpi resource (what Qt 6 reads; it ignores the size), which
# -noreset keeps when xrdb, the first client, leaves.
# Usage: xdpi.sh DPI COMMAND [ARGUMENT...]
set -eu
dpi=$1
shift
exec xvfb-run -a -s "-screen 0 1920x1200x24 -dpi $dpi -noreset" \
    sh -c 'echo "Xft.dpi: $0" | xrdb -merge && exec "$@"' "$dpi" "$@"
