#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Figures for a sensor behind ser2net (run by ./bench.sh, or alone):
#   - orvante-ctl measure for SECONDS at the sensor's full 886 frames/s
#     (115200 8N1) through ser2net's RFC 2217 port: the frames the simulator
#     sent before Stop reached it, the frames printed, and the difference;
#   - connect to the first answer of identity over RFC 2217, each of 20 runs
#     and the median (bench_connect).
# Usage: bench/network.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=$1
seconds=${2:-60}
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
# Not by connecting: ser2net would take the device for that client.
listens() { ! python3 -c 'import socket, sys; socket.socket().bind(("127.0.0.1", int(sys.argv[1])))' "$1" 2>/dev/null; }

# serve NAME SIM_ARGS...: a simulator with ser2net's RFC 2217 port in front of
# it; sets `port` to that port. The simulator logs to NAME.log.
serve() {
    local name=$1
    shift
    "$build/sensor-sim" --verbose "$@" >"$work/$name.path" 2>"$work/$name.log" &
    pids+=($!)
    until [ -s "$work/$name.path" ]; do sleep 0.05; done
    port=$(free_port)
    cat >"$work/$name.yaml" <<YAML
%YAML 1.1
---
connection: &rfc
  accepter: telnet(rfc2217),tcp,$port
  connector: serialdev,$(head -n 1 "$work/$name.path"),9600n81,local
YAML
    ser2net -n -c "$work/$name.yaml" >/dev/null 2>&1 &
    pids+=($!)
    until listens "$port"; do sleep 0.05; done
}

# Each frame's distance is the millisecond it was due (a ramp of 1 per ms), so
# the frames printed can be checked one by one against the simulator's
# schedule: frame k is due floor(k * 1000 / rate) ms after the first.
rate=886.15
serve sim --preset 6 --rate "$rate" --profile ramp --distance 0 --amplitude 99999999 \
    --period 99999999
address=rfc2217://localhost:$port

echo "### orvante-ctl measure --seconds $seconds at 886 frames/s through ser2net (RFC 2217)"
echo
before=$(wc -l <"$work/sim.log")
/usr/bin/time -f "%U %S %e" -o "$work/time" \
    "$build/orvante-ctl" --port "$address" --preset 6 measure --seconds "$seconds" >"$work/frames"
printed=$(wc -l <"$work/frames")
# The simulator's log: what it sent from the measurement's start until it read Stop.
sleep 1
sent=$(tail -n +"$((before + 1))" "$work/sim.log" |
    awk '/^rx [0-9]+: c\\r\\n/ { exit } /^tx / { n += gsub(/DT:/, "&") } END { print n + 0 }')
read -r user sys wall <"$work/time"
# Frames missing between the first printed and the last: due, but not printed.
missing=$(awk -v rate="$rate" '
    NR == 1 { first = $2 + 0 }
    { seen[$2 - first] = 1; last = $2 - first }
    END {
        interval = 1000 / rate
        for (k = 0; (due = int(k * interval)) <= last; k++)
            if (!(due in seen)) n++
        print n + 0
    }' "$work/frames")
echo "| frames sent before Stop | printed | missing between the first and the last printed | sent after the last printed | rate printed | orvante-ctl CPU |"
echo "|---|---|---|---|---|---|"
awk -v s="$sent" -v p="$printed" -v m="$missing" -v w="$seconds" -v u="$user" -v y="$sys" -v e="$wall" 'BEGIN {
    printf "| %d | %d | %d | %d | %.1f frames/s | %.1f %% of a core |\n", s, p, m, s - p - m, p / w, 100 * (u + y) / e }'
echo
echo "(Sent after the last printed: on their way through the pseudo-terminal, ser2net and"
echo "the socket when the $seconds s were up; orvante-ctl reads no further then.)"
echo
sleep 0.5
echo "### Connect to the first answer of identity over RFC 2217"
echo
serve sim2 --preset 0
"$build/bench_connect" "rfc2217://localhost:$port" 20 0
