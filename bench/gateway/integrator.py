#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The script an integrator would write instead of orvante-ctl publish, for the
# comparison in bench/gateway.sh: pyserial reads the sensor's lines, paho-mqtt
# publishes each distance frame as JSON. Runs until SIGTERM.
#   integrator.py PORT HOST BROKER_PORT TOPIC QOS
import json
import signal
import sys
import time

import paho.mqtt.client as mqtt
import serial

port, host, broker_port, topic, qos = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4], int(sys.argv[5])
running = True


def stop(*_):
    global running
    running = False


signal.signal(signal.SIGTERM, stop)
client = mqtt.Client()
client.connect(host, broker_port)
client.loop_start()
# The sensor's line preset 0, as orvante-ctl's default (a pseudo-terminal is
# not bound by the speed, but the simulator answers only at its own).
line = serial.Serial(port, 9600, timeout=0.5)
line.write(b"tk\r\n")
seq = 0
while running:
    raw = line.readline()
    if not raw.startswith(b"DT:") or not raw.endswith(b"\r\n"):
        continue
    seq += 1
    tenths = int(raw[3:-2])
    client.publish(topic, json.dumps({"seq": seq, "time": time.time(), "distance_mm": tenths / 10,
                                      "distance_tenth_mm": tenths}), qos=qos)
line.write(b"c\r\n")
client.loop_stop()
client.disconnect()
