#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# orvante-usart.exe from the zip under Wine, on the X display of the test run
# (Xvfb): Scan lists COM7 (a native simulator's pseudo-terminal, mapped by
# Wine), Open opens it, Single Measurement puts "td\r\n" on the wire. The
# window is driven with the mouse and the keyboard as an operator would (the
# fixed layout puts every control at a known place), and a picture of it is
# saved.
# Usage: window.sh ZIP NATIVE_BUILD PICTURE.png   (WINEPREFIX, DISPLAY)
set -eu
zip=$1 native=$2 picture=$3
test -n "${DISPLAY:-}" || { echo "needs an X display (./test.sh --windows runs Xvfb)"; exit 1; }
. "$(dirname "$0")/common.sh"

start_sim sensor
com7 sensor

(cd "$top" && exec wine orvante-usart.exe) >"$work/program.log" 2>&1 &
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^ORVANTE_USART$' | head -n 1)
test -n "$window" || { echo "no window appeared"; cat "$work/program.log"; exit 1; }
sleep 2

# Centres of the controls, in the window as Wine shows it (no window manager
# on the display, so no frame: the window is its client area). The layout is
# fixed; these are where the windows style puts the controls with Tahoma.
click() { xdotool mousemove --window "$window" --sync "$1" "$2" click 1; }
click 244 191 # Scan
sleep 2
click 170 191 # the Port box: its list opens; typing finds COM7
sleep 1
xdotool type --delay 100 COM7
xdotool key Return
sleep 1
click 159 270 # Open
sleep 2
click 159 390 # Single Measurement
sleep 2
import -window "$window" "$picture"

sent=$(received sensor 0)
if [ "$sent" != 'td\r\n' ]; then
    printf "%s\n" "the simulator received '$sent', not td\\r\\n (picture: $picture)"
    exit 1
fi
printf "%s\n" "Scan, COM7, Open, Single Measurement: the sensor received td\\r\\n (picture: $picture)"
