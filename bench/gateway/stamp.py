#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Reads sensor-sim --verbose on stdin and prints, for every distance frame it
# wrote, the time it was read here (Unix seconds) and the distance: the
# simulator logs each write as it makes it, so this is the frame's write time
# to within the pipe's delay.
import sys
import time

for line in sys.stdin.buffer:
    if line.startswith(b"tx 13: DT:"):
        print("%.6f %d" % (time.time(), int(line[10:18])), flush=False)
sys.stdout.flush()
