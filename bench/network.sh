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

"$build/sensor-sim" --preset 6 --rate 886.15 --verbose >"$work/sim.path" 2>"$work/sim.log" &
pids+=($!)
until [ -s "$work/sim.path" ]; do sleep 0.05; done
port=$(free_port)
cat >"$work/ser2net.yaml" <<YAML
%YAML 1.1
---
connection: &rfc
  accepter: telnet(rfc2217),tcp,$port
  connector: serialdev,$(head -n 1 "$work/sim.path"),9600n81,local
YAML
ser2net -n -d -c "$work/ser2net.yaml" >"$work/ser2net.log" 2>&1 &
pids+=($!)
until listens "$port"; do sleep 0.05; done
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
echo "| frames sent before Stop | frames printed | not printed | rate printed | orvante-ctl CPU |"
echo "|---|---|---|---|---|"
awk -v s="$sent" -v p="$printed" -v w="$seconds" -v u="$user" -v y="$sys" -v e="$wall" 'BEGIN {
    printf "| %d | %d | %d | %.1f frames/s | %.1f %% of a core |\n", s, p, s - p, p / w, 100 * (u + y) / e }'
echo
echo "(A frame not printed can only be one the simulator sent in the moment Stop was"
echo "on its way, after orvante-ctl's $seconds s had ended: at most 1 at this rate.)"
echo
sleep 0.5
echo "### Connect to the first answer of identity over RFC 2217"
echo
"$build/sensor-sim" --preset 0 >"$work/sim2.path" 2>/dev/null &
pids+=($!)
until [ -s "$work/sim2.path" ]; do sleep 0.05; done
port2=$(free_port)
cat >"$work/ser2net2.yaml" <<YAML
%YAML 1.1
---
connection: &rfc
  accepter: telnet(rfc2217),tcp,$port2
  connector: serialdev,$(head -n 1 "$work/sim2.path"),9600n81,local
YAML
ser2net -n -d -c "$work/ser2net2.yaml" >/dev/null 2>&1 &
pids+=($!)
until listens "$port2"; do sleep 0.05; done
"$build/bench_connect" "rfc2217://localhost:$port2" 20 0
