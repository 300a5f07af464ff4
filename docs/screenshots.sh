#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the README's screenshots: the program's window on a virtual X display,
# connected to the simulated sensor, one picture per page, and the distance
# chart after half a minute of a breathing, jittering target.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" fonts-wqy-microhei xvfb xauth
build_project build orvante-shot sensor-sim >/dev/null

workdir=$(mktemp -d)
build/sensor-sim --link "$workdir/sensor" --profile fixed --distance 12345 >/dev/null &
sim=$!
build/sensor-sim --link "$workdir/sine" --profile sine --distance 12345 --amplitude 800 \
    --period 8000 --jitter 15 --rate 200 >/dev/null &
sine=$!
trap 'kill $sim $sine 2>/dev/null; rm -rf "$workdir"' EXIT
for _ in $(seq 100); do [ -e "$workdir/sensor" ] && [ -e "$workdir/sine" ] && break; sleep 0.05; done

for page in display setting query; do
    xvfb-run -a -s "-screen 0 1024x768x24" \
        build/orvante-shot --port "$workdir/sensor" --page "$page" --out "docs/page-$page.png"
done
xvfb-run -a -s "-screen 0 1024x768x24" \
    build/orvante-shot --port "$workdir/sine" --page chart --seconds 30 --out docs/chart.png
