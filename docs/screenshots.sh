#!/usr/bin/env bash
# Makes the README's screenshots: the program's window on a virtual X display,
# connected to the simulated sensor, one picture per page.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" fonts-wqy-microhei xvfb xauth
build_project build orvante-shot sensor-sim >/dev/null

workdir=$(mktemp -d)
build/sensor-sim --link "$workdir/sensor" --profile fixed --distance 12345 >/dev/null &
sim=$!
trap 'kill $sim 2>/dev/null; rm -rf "$workdir"' EXIT
for _ in $(seq 100); do [ -e "$workdir/sensor" ] && break; sleep 0.05; done

for page in display setting query; do
    xvfb-run -a -s "-screen 0 1024x768x24" \
        build/orvante-shot --port "$workdir/sensor" --page "$page" --out "docs/page-$page.png"
done
