#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Reads sensor-sim --verbose on stdin and prints, for every distance frame it
# wrote, the time it was read here (Unix seconds) and the distance: the
# simulator logs each write as it makes it, so this is the frame's write time
# to within the pipe's delay. A write that fell behind carries several frames.
import re
import sys
import time

frame = re.compile(rb"DT:(\d{8})\\r\\n")
for line in sys.stdin.buffer:
    if line.startswith(b"tx "):
        now = time.time()
        for distance in frame.findall(line):
            print("%.6f %d" % (now, int(distance)))
sys.stdout.flush()
