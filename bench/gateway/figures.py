#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# bench/gateway.sh's figures for one run: frames written by the simulator
# (stamp.py's file) against frames received by the subscriber (mosquitto_sub
# -F '%U %p'), and the latency from write to arrival.
#   figures.py WRITTEN RECEIVED
import json
import sys

written = {}
for line in open(sys.argv[1]):
    stamp, distance = line.split()
    written[int(distance)] = float(stamp)
received = []
for line in open(sys.argv[2]):
    stamp, payload = line.split(" ", 1)
    received.append((float(stamp), json.loads(payload)["distance_tenth_mm"]))
if not received:
    print("nothing received")
    sys.exit(0)
last = max(d for _, d in received)
# Frames written up to the last one received: those after it were still on
# their way when the run ended.
sent = sorted(d for d in written if d <= last)
got = [d for _, d in received]
twice = len(got) - len(set(got))
lost = len(set(sent) - set(got))
latencies = sorted((t - written[d]) * 1000 for t, d in received if d in written)


def pct(p):
    return latencies[min(len(latencies) - 1, int(p / 100 * len(latencies)))]


print("written %d, received %d, lost %d, twice %d, latency p50 %.2f ms, p99 %.2f ms, max %.2f ms"
      % (len(sent), len(got), lost, twice, pct(50), pct(99), latencies[-1]))
