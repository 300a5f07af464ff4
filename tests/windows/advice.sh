#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# orvante-ctl.exe from the zip, under Wine, speaks of Windows things: a COM
# port that does not exist is met with Device Manager and the adapter's
# driver, the help gives COM port names and the keys that stop a measurement
# on Windows, and nothing names a Linux device file, group or signal.
# Usage: advice.sh ZIP   (WINEPREFIX: the prefix to run in)
set -eu
zip=$1
. "$(dirname "$0")/unzipped.sh"

failed=0
# said NAME STATUS ARGS...: runs orvante-ctl.exe, expects STATUS; what it
# wrote on both channels lands in $work/NAME.
said() {
    name=$1 want=$2
    shift 2
    status=0
    (cd "$top" && wine orvante-ctl.exe "$@") >"$work/$name" 2>&1 || status=$?
    tr -d '\r' <"$work/$name" >"$work/$name.txt"
    if [ "$status" -ne "$want" ]; then
        echo "$name: status $status, not $want: $(cat "$work/$name.txt")"
        failed=1
    fi
}
# has NAME TEXT / lacks NAME TEXT: whether the output holds TEXT.
has() {
    grep -qF -- "$2" "$work/$1.txt" || { echo "$1 does not say '$2': $(cat "$work/$1.txt")"; failed=1; }
}
lacks() {
    ! grep -qF -- "$2" "$work/$1.txt" || { echo "$1 says '$2': $(cat "$work/$1.txt")"; failed=1; }
}

said missing 4 --port COM42 identity
has missing "cannot open COM42: no such port"
has missing "Device Manager (Ports (COM & LPT))"
has missing "driver"
said help 0 --help
has help "COM3"
said measure_help 0 measure --help
has measure_help "Ctrl-C"
for name in missing help measure_help; do
    for word in dialout /dev/ SIGHUP ttyUSB; do
        lacks "$name" "$word"
    done
done
[ "$failed" -ne 0 ] || echo "orvante-ctl.exe: $(head -n 1 "$work/missing.txt")"
[ "$failed" -eq 0 ]
