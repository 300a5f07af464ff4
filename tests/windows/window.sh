#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# orvante-usart.exe from the zip under Wine at 150 % (Wine's LogPixels 144),
# on the X display of the test run (Xvfb):
# - the window is scaled as a whole: 1.5 times 825 x 560;
# - on the settings page every control lies inside the window, shown whole,
#   its caption uncut, and so are the group boxes' titles and the scroll bars;
# - Scan lists COM7 (a native simulator's pseudo-terminal, mapped by Wine),
#   Open opens it, Single Measurement puts "td\r\n" on the wire.
# The controls are found by asking the window where they are (a build with
# tests writes what it shows to ORV_WIDGET_REPORT: app/widgetreport.h), not
# from pixels, and every wait polls with a deadline. Pictures of both pages
# are saved.
# Usage: window.sh ZIP NATIVE_BUILD MAIN.png SETTINGS.png   (WINEPREFIX, DISPLAY)
set -eu
zip=$1 native=$2 picture=$3 settings_picture=$4
test -n "${DISPLAY:-}" || { echo "needs an X display (./test.sh --windows runs Xvfb)"; exit 1; }
. "$(dirname "$0")/common.sh"

start_sim sensor
com7 sensor
dpi 144

report=$work/report.txt
(cd "$top" && ORV_WIDGET_REPORT="Z:$report" exec wine orvante-usart.exe) >"$work/program.log" 2>&1 &
fail() {
    echo "$*"
    cat "$work/program.log"
    [ -s "$report" ] && cat "$report"
    exit 1
}
poll 60 test -s "$report" || fail "the window wrote no report within 60 s"
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^ORVANTE_USART$' | head -n 1)
test -n "$window" || fail "no window named ORVANTE_USART"

# field NAME COLUMN: a column of the widget's line in the report (1: name).
field() { awk -F'\t' -v name="$1" -v column="$2" '$1 == name { print $column; exit }' "$report"; }
shows() { [ -n "$(field "$1" 1)" ]; }
says() { [ "$(field "$1" 9)" = "$2" ]; }
click() {
    shows "$1" || fail "$1 is not shown"
    x=$(awk -F'\t' -v name="$1" '$1 == name { print int($3 + $5 / 2); exit }' "$report")
    y=$(awk -F'\t' -v name="$1" '$1 == name { print int($4 + $6 / 2); exit }' "$report")
    xdotool mousemove --window "$window" --sync "$x" "$y" click 1
}

# Scaled as a whole, and the report's pixels are the X window's.
set -- $(head -n 1 "$report")
width=$2 height=$3 scale=$4
[ "$scale" = 1.5 ] || fail "the window is scaled by $scale at 144 dpi, not 1.5"
[ "$width" -eq 1238 ] && [ "$height" -eq 840 ] || fail "the window is $width x $height, not 1238 x 840"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -eq "$width" ] && [ "$HEIGHT" -eq "$height" ] \
    || fail "X shows the window at $WIDTH x $HEIGHT, the report says $width x $height"
echo "at 144 dpi the window is scaled by $scale: $width x $height pixels"

click btn_setting
poll 10 shows btn_set_Auto_M || fail "Setting did not show the settings page"
awk -F'\t' -v width="$width" -v height="$height" '
    NR == 1 { next }
    $2 ~ /^Q(Label|LineEdit|ComboBox|PushButton|CheckBox)$/ || $1 ~ /^qt_scrollarea_[hv]container$/ {
        controls++
        if ($7 != "whole" || $8 != "fits" || $3 < 0 || $4 < 0 || $3 + $5 > width || $4 + $6 > height) {
            print "cut: " $0; bad++
        }
    }
    $2 == "QGroupBox" { boxes++; if ($8 != "fits") { print "title cut: " $0; bad++ } }
    END {
        printf "settings page at 150 %%: %d controls and %d group boxes checked\n", controls, boxes
        exit (bad > 0 || controls < 20 || boxes < 4)
    }' "$report" || fail "the settings page does not fit the window at 150 %"
import -window "$window" "$settings_picture"

click btn_display
poll 10 shows btn_usart_number || fail "Main did not show the display page"
click btn_usart_number # Scan
poll 10 says cmb_port_name COM7 || {
    # Another port came first: the list finds COM7 as it is typed.
    click cmb_port_name
    xdotool type --delay 50 COM7
    xdotool key Return
    poll 10 says cmb_port_name COM7
} || fail "Scan did not offer COM7"
click btn_open
poll 10 says btn_open Close || fail "Open did not open COM7"
mark=$(logged sensor)
click btn_td # Single Measurement
measured() { [ "$(received sensor "$mark")" = 'td\r\n' ]; }
poll 10 measured || fail "the simulator received '$(received sensor "$mark")', not td\\r\\n"
import -window "$window" "$picture"
printf "%s\n" "Scan, COM7, Open, Single Measurement: the sensor received td\\r\\n (pictures: $picture, $settings_picture)"
