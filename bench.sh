#!/usr/bin/env bash
# Performance figures, from a Release build (build-release/):
#   - the receive path off screen: CPU per chunk at full line rate, text and
#     hex, with the display at 10^3 and 10^5 lines; a 1 MiB chunk; memory;
#   - start-up to first paint against a bare QMainWindow;
#   - where the shared peer bench stands beside the project (../shared/peer-bench),
#     the program and CuteCom on the same stream under Xvfb, at 886 and at 20
#     frames a second (about 10 minutes).
#
#   ./bench.sh           all of the above
#   ./bench.sh --quick   off screen only, shorter runs
#   ./bench.sh --long    also hex at 20 frames/s for 10 minutes (ours and CuteCom's
#                        hex output, CPU per minute) and 10^6 frames at line rate
#                        under Xvfb (about an hour more)
#
# Figures depend on the machine and on what else it is doing: compare only
# figures from the same run.
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh

mode=${1:-}
case "$mode" in
    "" | --quick | --long) ;;
    *) echo "usage: $0 [--quick|--long]" >&2; exit 2 ;;
esac

ensure_packages "${BUILD_PACKAGES[@]}"
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DORV_MANPAGES=OFF \
    "${ORV_CMAKE_ARGS[@]}" >/dev/null
cmake --build build-release -j"$(nproc)" --target orvante-usart bench_receive bench_startup >/dev/null

echo "## Off screen"
echo
if [ "$mode" = --quick ]; then
    build-release/bench_receive --seconds 5 --long-frames 0
    echo
    build-release/bench_startup 7
    exit 0
fi
build-release/bench_receive --seconds 20
echo
build-release/bench_startup 15

peer=../shared/peer-bench
if [ ! -x "$peer/compare.sh" ]; then
    echo
    echo "(No peer bench at $peer: the side-by-side runs against CuteCom are skipped.)"
    exit 0
fi
ensure_packages xvfb xdotool imagemagick cutecom python3
export ORV_EXE=$PWD/build-release/orvante-usart
export PEER_BENCH_RUNS=${PEER_BENCH_RUNS:-$PWD/build-release/peer-bench-runs}
mkdir -p "$PEER_BENCH_RUNS"
echo
echo "## Under Xvfb, against CuteCom (runs in $PEER_BENCH_RUNS)"
for rate in 886.1538461538462 20; do
    echo
    "$peer/compare.sh" "$rate" 60
done

if [ "$mode" = --long ]; then
    echo
    echo "## Hex display at 20 frames/s for 10 minutes, CPU per minute"
    ORV_HEX=1 "$peer/run_orv.sh" orv-hex-20 20 600
    CC_HEX=1 "$peer/run_cc.sh" cc-hex-20 20 600
    python3 "$peer/minutes.py" "$PEER_BENCH_RUNS/orv-hex-20.json" "$PEER_BENCH_RUNS/cc-hex-20.json"
    echo
    echo "## 10^6 frames at line rate, default scroll-back"
    "$peer/run_orv.sh" orv-long 886.1538461538462 1129
    python3 "$peer/summarize.py" "$PEER_BENCH_RUNS/orv-long.json"
fi
