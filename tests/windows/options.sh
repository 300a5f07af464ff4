#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# orvante-usart.exe --version, --help and a bad option under Wine, as Windows
# users meet them: with output to print to (a prompt, a pipe) the text is
# printed; started without any (a shortcut, Explorer) it is shown in a message
# box. The exit statuses are those of the Linux build: 0, and 1 for a mistake.
# Usage: options.sh ZIP   (WINEPREFIX, DISPLAY)
set -eu
zip=$1
test -n "${DISPLAY:-}" || { echo "needs an X display (./test.sh --windows runs Xvfb)"; exit 1; }
. "$(dirname "$0")/poll.sh"
. "$(dirname "$0")/unzipped.sh"
failed=0

status=0
(cd "$top" && wine orvante-usart.exe --version) >"$work/out" 2>&1 || status=$?
version=$(tr -d '\r' <"$work/out")
case "$status $version" in
    "0 orvante-usart "[0-9]*) echo "--version, printed: $version" ;;
    *) echo "--version printed '$version', status $status"; failed=1 ;;
esac

# box OPTION STATUS: started as a shortcut starts it (ShellExecute, through
# start), without any output, the text comes in a box titled orvante-usart;
# Enter closes it and the program ends with STATUS.
box() {
    status=0
    (cd "$top" && exec wine start /wait /unix "$top/orvante-usart.exe" "$1") &
    program=$!
    found() { xdotool search --onlyvisible --name '^orvante-usart$' >"$work/box" 2>/dev/null; }
    if ! poll 30 found; then
        echo "$1 without a console: no message box"
        failed=1
        kill "$program" 2>/dev/null || true
        return
    fi
    xdotool key --window "$(head -n 1 "$work/box")" Return 2>/dev/null
    wait "$program" || status=$?
    if [ "$status" -ne "$2" ]; then
        echo "$1 without a console: status $status, not $2"
        failed=1
        return
    fi
    echo "$1 without a console: a message box, then status $status"
}
box --help 0
box --no-such-option 1
[ "$failed" -eq 0 ]
