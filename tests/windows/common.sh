# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the COM-port and window checks: the zip unpacked into a work
# folder, native simulators that log what they receive, and a COM port in
# Wine that leads to one of them. Everything goes when the check ends.
# Needs: zip (the Windows zip), native (a Linux build with sensor-sim).

work=$(mktemp -d)
sims=""
cleanup() {
    wineserver -k 2>/dev/null || true
    for pid in $sims; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    wine reg delete 'HKLM\Software\Wine\Ports' /v COM7 /f >/dev/null 2>&1 || true
    wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
test -x "$native/sensor-sim"
unzip -q "$zip" -d "$work"
# The unpacked program folder, as a user has it.
top=$(echo "$work"/*/)
export WINEDEBUG=-all
. "$(dirname "$0")/poll.sh"

# start_sim NAME [ARGS]: a simulator that logs what it receives in NAME.log.
start_sim() {
    name=$1
    shift
    "$native/sensor-sim" --verbose "$@" >"$work/$name.path" 2>"$work/$name.log" &
    sims="$sims $!"
    poll 5 test -s "$work/$name.path"
}
# device NAME: the simulator's pseudo-terminal.
device() { head -n 1 "$work/$1.path"; }
# logged NAME: how many lines its log has.
logged() { wc -l <"$work/$1.log"; }
# received NAME N: what it received after log line N, as logged (\r, \n escaped).
received() { tail -n +"$(($2 + 1))" "$work/$1.log" | sed -n 's/^rx [0-9]*: //p' | tr -d '\n'; }

# com7 NAME: COM7 in Wine leads to that simulator's pseudo-terminal.
com7() {
    wine reg add 'HKLM\Software\Wine\Ports' /v COM7 /d "$(device "$1")" /f >/dev/null
    wineserver -k || true # Wine reads its ports when it starts
}

# dpi N: Wine's screen has N dots per inch (96: 100 %, 144: 150 %) from the
# programs started next; the prefix goes back to 96 when the check ends.
dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
    wineserver -k || true # Wine reads it when it starts
}
