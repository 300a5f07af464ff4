#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Performance figures, from a Release build (build-release/):
#   - the receive path off screen: CPU per chunk at full line rate, text and
#     hex, with the display at 10^3 and 10^5 lines; a 1 MiB chunk; memory;
#   - start-up to first paint against a bare QMainWindow;
#   - the distance chart off screen: a frame's cost for each time window, the
#     recording's CPU and memory, the CSV export;
#   - sensor-sim's frame rates on the wall clock (20 to 1000 frames/s);
#   - a sensor behind ser2net (bench/network.sh): orvante-ctl measure for a
#     minute at 886 frames/s through RFC 2217, frames sent and printed; connect
#     to the first answer of identity, median of 20;
#   - where the shared peer bench stands beside the project (../shared/peer-bench),
#     the program and CuteCom on the same stream under Xvfb: at 886 frames/s the
#     program with the distance chart closed, CuteCom and the program with the
#     chart open (1-minute window) taking turns, two rounds; at 20 frames/s the
#     program and CuteCom (about 12 minutes in all). The machine's load follows
#     each table: compare figures of one table only.
#
#   ./bench.sh           all of the above
#   ./bench.sh --quick   off screen only, shorter runs
#   ./bench.sh --chart   only the chart's runs under Xvfb: closed and open taking
#                        turns, three rounds, and the CPU of open against closed
#   ./bench.sh --long    also hex at 20 frames/s for 10 minutes (ours and CuteCom's
#                        hex output, CPU per minute) and 10^6 frames at line rate
#                        under Xvfb, with the chart closed and open (about 1.5 hours
#                        more)
#
# Figures depend on the machine and on what else it is doing: compare only
# figures from the same run.
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh

mode=${1:-}
case "$mode" in
    "" | --quick | --long | --chart) ;;
    *) echo "usage: $0 [--quick|--long|--chart]" >&2; exit 2 ;;
esac

ensure_packages "${BUILD_PACKAGES[@]}"
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DORV_MANPAGES=OFF \
    "${ORV_CMAKE_ARGS[@]}" >/dev/null
targets=(orvante-usart bench_receive bench_startup bench_chart bench_simrate)
[ "$mode" = --chart ] && targets=(orvante-usart)
cmake --build build-release -j"$(nproc)" --target "${targets[@]}" >/dev/null

peer=../shared/peer-bench
rate=886.1538461538462
# The CPU of the runs with the chart open against those with it closed, each
# the mean of its runs: open_closed_ratio CLOSED.json... -- OPEN.json...
open_closed_ratio() {
    python3 - "$@" <<'EOF'
import json, statistics, sys
i = sys.argv.index("--")
closed, opened = (statistics.mean(json.load(open(p))["receiver_cpu_pct"] for p in runs)
                  for runs in (sys.argv[1:i], sys.argv[i + 1:]))
print(f"chart closed {closed:.2f} %, open {opened:.2f} % of a core: open : closed = {opened / closed:.2f}")
EOF
}
start_peer_bench() {
    ensure_packages xvfb xdotool imagemagick cutecom python3
    export ORV_EXE=${ORV_EXE:-$PWD/build-release/orvante-usart}
    export PEER_BENCH_RUNS=${PEER_BENCH_RUNS:-$PWD/build-release/peer-bench-runs}
    mkdir -p "$PEER_BENCH_RUNS"
}
# The chart's hook opens it with Ctrl+D once the usual clicks are done.
chart=(--post-start "$PWD/bench/chart_post.sh")

if [ "$mode" = --chart ]; then
    [ -x "$peer/compare.sh" ] || { echo "no peer bench at $peer" >&2; exit 2; }
    start_peer_bench
    echo "## Under Xvfb, $rate frames/s: the chart closed and open (1-minute window),"
    echo "## taking turns, three rounds (runs in $PEER_BENCH_RUNS)"
    uptime
    for i in 1 2 3; do
        "$peer/run_orv.sh" "orv-closed-$i" "$rate" 60
        sleep 3
        "$peer/run_orv.sh" "orv-open-$i" "$rate" 60 "${chart[@]}"
        sleep 3
    done
    python3 "$peer/summarize.py" "$PEER_BENCH_RUNS"/orv-closed-[123].json \
        "$PEER_BENCH_RUNS"/orv-open-[123].json
    open_closed_ratio "$PEER_BENCH_RUNS"/orv-closed-[123].json -- "$PEER_BENCH_RUNS"/orv-open-[123].json
    uptime
    exit 0
fi

echo "## Off screen"
echo
if [ "$mode" = --quick ]; then
    build-release/bench_receive --seconds 5 --long-frames 0
    echo
    build-release/bench_startup 7
    echo
    build-release/bench_chart --repeat 100
    echo
    build-release/bench_simrate --seconds 5
    exit 0
fi
build-release/bench_receive --seconds 20
echo
build-release/bench_startup 15
echo
build-release/bench_chart
echo
build-release/bench_simrate

# A sensor behind ser2net: orvante-ctl at line rate for a minute, and the
# connect to the first answer.
ensure_packages ser2net
cmake --build build-release -j"$(nproc)" --target orvante-ctl sensor-sim bench_connect >/dev/null
echo
echo "## Through ser2net"
echo
bench/network.sh build-release 60

if [ ! -x "$peer/compare.sh" ]; then
    echo
    echo "(No peer bench at $peer: the side-by-side runs against CuteCom are skipped.)"
    exit 0
fi
start_peer_bench
echo
echo "## Under Xvfb, $rate frames/s: the program with the chart closed, CuteCom, the"
echo "## program with the chart open (1-minute window), taking turns, two rounds"
echo "## (runs in $PEER_BENCH_RUNS)"
for i in 1 2; do
    "$peer/run_orv.sh" "orv-886-$i" "$rate" 60
    sleep 3
    "$peer/run_cc.sh" "cc-886-$i" "$rate" 60
    sleep 3
    "$peer/run_orv.sh" "orv-chart-886-$i" "$rate" 60 "${chart[@]}"
    sleep 3
done
python3 "$peer/summarize.py" "$PEER_BENCH_RUNS"/orv-886-[12].json "$PEER_BENCH_RUNS"/cc-886-[12].json \
    "$PEER_BENCH_RUNS"/orv-chart-886-[12].json
open_closed_ratio "$PEER_BENCH_RUNS"/orv-886-[12].json -- "$PEER_BENCH_RUNS"/orv-chart-886-[12].json
uptime
echo
echo "## Under Xvfb, 20 frames/s, against CuteCom"
"$peer/compare.sh" 20 60
uptime

if [ "$mode" = --long ]; then
    echo
    echo "## Hex display at 20 frames/s for 10 minutes, CPU per minute"
    ORV_HEX=1 "$peer/run_orv.sh" orv-hex-20 20 600
    CC_HEX=1 "$peer/run_cc.sh" cc-hex-20 20 600
    python3 "$peer/minutes.py" "$PEER_BENCH_RUNS/orv-hex-20.json" "$PEER_BENCH_RUNS/cc-hex-20.json"
    echo
    echo "## 10^6 frames at line rate, default scroll-back"
    "$peer/run_orv.sh" orv-long 886.1538461538462 1129
    "$peer/run_orv.sh" orv-long-chart 886.1538461538462 1129 "${chart[@]}"
    python3 "$peer/summarize.py" "$PEER_BENCH_RUNS/orv-long.json" \
        "$PEER_BENCH_RUNS/orv-long-chart.json"
fi
