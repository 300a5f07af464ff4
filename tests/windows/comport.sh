#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# orvante-ctl.exe from the zip, under Wine, through COM7, which Wine maps to a
# native simulator's pseudo-terminal: `ports` lists COM7, and identity,
# `measure --count 5 --csv` and a switching setting put exactly the bytes on
# the wire that the Linux build puts there.
#
# Reception: Wine 8 hands no byte from a pseudo-terminal behind a COM port to
# the program (it waits for receive interrupts, counted by the serial driver,
# which a pseudo-terminal does not have: WINEDEBUG=+comm shows the TIOCGICOUNT
# ioctl failing). So each Windows run gets no answer, and its bytes are
# compared with a Linux run against a sensor that does not answer either; this
# says so on every run. Should Wine deliver the answers one day, the Windows
# runs are compared with Linux runs against an answering sensor instead.
# Usage: comport.sh ZIP NATIVE_BUILD   (WINEPREFIX: the prefix to run in)
set -eu
zip=$1 native=$2
. "$(dirname "$0")/common.sh"
test -x "$native/orvante-ctl"

start_sim windows
start_sim live
start_sim silent --silent
com7 windows
(cd "$top" && wine orvante-ctl.exe ports) | tr -d '\r' >"$work/ports"
grep -qx COM7 "$work/ports" || { echo "orvante-ctl.exe ports did not list COM7:"; cat "$work/ports"; exit 1; }
echo "orvante-ctl.exe ports: $(tr '\n' ' ' <"$work/ports")"

failed=0
check() {
    name=$1
    shift
    mark=$(logged windows)
    status=0
    (cd "$top" && wine orvante-ctl.exe --port COM7 "$@") >"$work/out" 2>"$work/err" || status=$?
    case $status in
        0) partner=live ;;
        3) partner=silent ;;
        *) echo "$name: orvante-ctl.exe ended with status $status: $(cat "$work/err")"; failed=1; return ;;
    esac
    other=$(logged $partner)
    expected=0
    "$native/orvante-ctl" --port "$(device $partner)" "$@" >/dev/null 2>&1 || expected=$?
    # The simulators log what the ports had left to send a moment after the
    # programs end: until both have logged the same, or for 5 s.
    same() { [ -n "$(received windows "$mark")" ] && [ "$(received windows "$mark")" = "$(received $partner "$other")" ]; }
    poll 5 same || true
    sent=$(received windows "$mark")
    wanted=$(received $partner "$other")
    if [ -z "$sent" ] || [ "$sent" != "$wanted" ] || [ "$status" -ne "$expected" ]; then
        printf "%s: Windows wrote '%s' (status %s), Linux '%s' (status %s)\n" \
            "$name" "$sent" "$status" "$wanted" "$expected"
        failed=1
        return
    fi
    if [ "$partner" = silent ]; then
        printf "%s: wrote '%s' as the Linux build does; no answer reached it (status 3: %s)\n" \
            "$name" "$sent" "$(tr -d '\r' <"$work/err")"
    else
        printf "%s: wrote '%s' and took the answer, as the Linux build does\n" "$name" "$sent"
    fi
}
check identity identity
check measure measure --count 5 --csv
check switching set switching --mode 2 --on1 1500 --off1 1400 --on2 3000 --off2 2900

# Why nothing arrives, in Wine's own words (informative; not a condition).
(cd "$top" && WINEDEBUG=+comm wine orvante-ctl.exe --port COM7 identity) >/dev/null 2>"$work/trace" || true
why=$(grep -m 1 -o 'TIOCGICOUNT.*' "$work/trace" || true)
[ -z "$why" ] || echo "Wine's serial trace: $why"
[ "$failed" -eq 0 ]
