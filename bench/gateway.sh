#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Figures of orvante-ctl publish at the full line rate, from a Release build
# (build-release/): sensor-sim at 886.15 frames/s -> orvante-ctl publish ->
# Mosquitto -> mosquitto_sub, at QoS 0 and then at QoS 1. For each: frames
# written by the simulator and received by the subscriber, the gateway's CPU
# (% of one core) and resident memory after 5 s and at the end, and the
# latency from the simulator's write to the subscriber's arrival (p50, p99).
# Beside it, in the same run, the script an integrator would write instead
# (integrator.py: pyserial and paho-mqtt) on a second simulator: its CPU and
# its losses.
#
#   bench/gateway.sh [SECONDS [QOS...]]   each run lasts SECONDS (600); QoS 0
#                                         and 1 unless named
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
seconds=${1:-600}
qoses=("${@:2}")
[ ${#qoses[@]} -gt 0 ] || qoses=(0 1)
here=bench/gateway
# Debian's Python, with Debian's pyserial and paho-mqtt.
python=/usr/bin/python3

ensure_packages "${BUILD_PACKAGES[@]}" mosquitto mosquitto-clients python3-serial python3-paho-mqtt
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DORV_MANPAGES=OFF \
    "${ORV_CMAKE_ARGS[@]}" >/dev/null
cmake --build build-release -j"$(nproc)" --target orvante-ctl sensor-sim >/dev/null

work=$(mktemp -d)
pids=()
broker=
cleanup() {
    for pid in "${pids[@]}" $broker; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

port=$("$python" -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
# Nagle's algorithm off towards the subscribers too, as the gateway has it: at
# QoS 0 nothing comes back from them to carry the acknowledgements, and the
# latency would be the broker's delayed writes.
printf 'listener %s 127.0.0.1\nallow_anonymous true\npersistence false\nmax_queued_messages 1000000\nset_tcp_nodelay true\n' \
    "$port" > "$work/mosquitto.conf"
mosquitto -c "$work/mosquitto.conf" 2>"$work/mosquitto.log" &
broker=$!
sleep 1

# Ticks (utime + stime) of a process, and its resident memory in kB.
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
rss() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }
hz=$(getconf CLK_TCK)

# A simulator whose distance is 1 + the ms since its measurement started, so
# every frame is told apart, its writes stamped by stamp.py into FILE.
simulator() {
    build-release/sensor-sim --link "$1" --verbose --rate 886.15 --profile ramp --distance 1 \
        --amplitude 99999998 --period 99999998 2> >("$python" "$here/stamp.py" > "$2") >/dev/null &
    pids+=($!)
}

echo "gateway figures: ${seconds} s a run at 886.15 frames/s, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
for qos in "${qoses[@]}"; do
    simulator "$work/gw-sensor" "$work/gw-written"
    simulator "$work/py-sensor" "$work/py-written"
    stdbuf -oL mosquitto_sub -p "$port" -q "$qos" -t gw/distance -F '%U %p' > "$work/gw-received" &
    sub1=$!
    stdbuf -oL mosquitto_sub -p "$port" -q "$qos" -t py/distance -F '%U %p' > "$work/py-received" &
    sub2=$!
    pids+=($sub1 $sub2)
    sleep 1
    build-release/orvante-ctl --port "$work/gw-sensor" publish --qos "$qos" \
        --mqtt "mqtt://127.0.0.1:$port/gw" 2> "$work/gw-events" &
    gw=$!
    "$python" "$here/integrator.py" "$work/py-sensor" 127.0.0.1 "$port" py/distance "$qos" &
    py=$!
    pids+=($gw $py)
    sleep 5
    gw_rss_start=$(rss $gw) gw_t0=$(ticks $gw) py_t0=$(ticks $py) t0=$(date +%s.%N)
    sleep $((seconds - 5))
    gw_rss_end=$(rss $gw) gw_t1=$(ticks $gw) py_t1=$(ticks $py) t1=$(date +%s.%N)
    kill -TERM $gw $py
    wait $gw $py || true
    sleep 1
    kill $sub1 $sub2
    # The simulators: their stamp.py ends with them.
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    pids=()
    sleep 2
    cpu() { awk -v a="$1" -v b="$2" -v t0="$t0" -v t1="$t1" -v hz="$hz" \
        'BEGIN {printf "%.1f", 100 * (b - a) / hz / (t1 - t0)}'; }
    echo "QoS $qos:"
    echo "  orvante-ctl publish: CPU $(cpu "$gw_t0" "$gw_t1") % of a core," \
         "RSS ${gw_rss_start} kB after 5 s, ${gw_rss_end} kB at the end"
    echo "    $("$python" "$here/figures.py" "$work/gw-written" "$work/gw-received")"
    echo "  integrator.py (pyserial + paho-mqtt): CPU $(cpu "$py_t0" "$py_t1") % of a core"
    echo "    $("$python" "$here/figures.py" "$work/py-written" "$work/py-received")"
    grep -v -e 'connected to\|sensor A17\|measuring\|stopping\|stopped' "$work/gw-events" || true
done
