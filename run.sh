#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, starts the simulated sensor and the program
# with the simulator offered first in Scan.
#
#   ./run.sh                      open the window (needs a display)
#   ./run.sh --screenshot FILE    no display needed: Scan, Open and a single
#                                 measurement off screen, saved as a PNG
#                                 (a relative FILE is taken from where you are)
#   ./run.sh --no-sim [ARGS]      the program alone, e.g. with --port /dev/ttyUSB0
set -euo pipefail
caller_dir=$PWD

screenshot=""
use_sim=1
args=()
while [ $# -gt 0 ]; do
    case "$1" in
        --screenshot) screenshot=${2:?--screenshot needs a file name}; shift 2 ;;
        --screenshot=*) screenshot=${1#*=}; shift ;;
        --no-sim) use_sim=0; shift ;;
        *) args+=("$1"); shift ;;
    esac
done

if [ -n "$screenshot" ]; then
    [ "$use_sim" -eq 1 ] || { echo "--screenshot runs against the simulator" >&2; exit 2; }
    case "$screenshot" in /*) ;; *) screenshot="$caller_dir/$screenshot" ;; esac
elif [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    # Said before anything is installed or built, which would be wasted here.
    cat >&2 <<'MSG'
No display is available, so the window cannot be shown here. Either
  - run it on a virtual display:   sudo apt-get install xvfb && xvfb-run -a ./run.sh
    (and take pictures with e.g. `import -window root shot.png` from imagemagick), or
  - let it take the picture itself: ./run.sh --screenshot shot.png
MSG
    exit 2
fi

cd "$(dirname "$0")"
repo=$PWD
. tools/deps.sh

# Fonts so that the window's texts (some of them Chinese) render off screen too.
ensure_packages "${BUILD_PACKAGES[@]}" fonts-wqy-microhei
build_project build orvante-usart sensor-sim orvante-shot >/dev/null

sim_pid=""
device=""
workdir=$(mktemp -d)
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    # The simulator removes its link when it ends; this covers a crash.
    [ -n "$device" ] && [ -L "$device" ] && rm -f "$device"
    rm -rf "$workdir"
}
trap cleanup EXIT

if [ "$use_sim" -eq 1 ]; then
    # Short enough to read whole in the port list; the process id keeps two
    # runs apart.
    device="/tmp/sensor-$$"
    build/sensor-sim --link "$device" --profile sine --distance 12500 --amplitude 800 \
        --jitter 5 --rate 10 >"$workdir/sim.out" &
    sim_pid=$!
    for _ in $(seq 100); do [ -e "$device" ] && break; sleep 0.05; done
    [ -e "$device" ] || { echo "the simulated sensor did not start" >&2; exit 1; }
    echo "Simulated sensor on $device (offered first by Scan)."
    args=(--port "$device" "${args[@]}")
fi

if [ -n "$screenshot" ]; then
    QT_QPA_PLATFORM=offscreen build/orvante-shot --port "$device" --out "$screenshot"
    exit 0
fi

if [ "$use_sim" -eq 1 ]; then
    echo "In the window: Scan, Open ($device comes first), then Single Measurement."
fi
# From the caller's folder, so that relative paths in ARGS and the Save dialog
# start where the command was run.
cd "$caller_dir"
"$repo/build/orvante-usart" "${args[@]}"
