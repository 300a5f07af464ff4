#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Peer-bench hook for a run with the distance chart open: the program's own
# hook first (Scan, Open, Save the log), then View -> Distance chart through
# its shortcut, Ctrl+D, once a click on the window's title label has given
# it the keyboard (there is no window manager). The chart shows its default
# window, one minute. The run counts only if the chart did open.
set -e
"$BENCH_DIR/hooks/orv_post.sh"
for attempt in 1 2 3; do
  xdotool mousemove --window "$WID" --sync 745 60 click 1
  sleep 0.3
  xdotool key ctrl+d
  sleep 1
  if xdotool search --all --onlyvisible --pid "$RECV_PID" --name "Distance chart" >/dev/null; then
    exit 0
  fi
done
echo "the distance chart did not open" >&2
exit 1
