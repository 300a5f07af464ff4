#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

fuzz_answers takes an answer as it is. fuzz_believed takes two bytes that
choose the read sizes, then the bytes the sensor sent. fuzz_receive reads its input with
FuzzedDataProvider: the chunks' bytes from the front; from the end, one byte
each, the state, the hex switch and the chunk sizes (size - 1), in that order.
"""
import os

STATES = ["idle", "idle-no-frames", "single", "continuous", "identity-query",
          "analog-query", "switching-query", "line-speed-setting", "analog-setting",
          "switching-first", "switching-second", "auto-measure-setting"]

ANSWERS = {
    "frame": b"DT:00012345\r\n",
    "two-frames": b"DT:00000100\r\nDT:00000101\r\n",
    "identity": b"DEVICE-ID: 4061812A17\r\n",
    "analog": b"AOUT=1,150+20000+\r\n",
    "switching": b"mode:1\r\non1:150\r\noff1:200\r\non2:300\r\noff2:400\r\nbaud:9600\r\n",
    "line-speed": b"Set:3\r\n",
    "accepted": b"ok\r\n",
    "rejected": b"Ezz\r\n",
    "analog-range": b"DAC:1\r\n",
    "auto-measure": b"Auto:1\r\n",
}

RECEIVE = [  # name, state, hex, chunks
    ("idle-frames", "idle", False, [b"DT:00012345\r\n", b"DT:00012346\r\n"]),
    ("single", "single", False, [b"DT:00004711\r\n"]),
    ("continuous-hex", "continuous", True, [ANSWERS["two-frames"], b"DT:0000", b"0102\r\n"]),
    ("identity", "identity-query", False, [b"DEVICE-ID: 40618", b"12A17\r\n"]),
    ("analog", "analog-query", False, [ANSWERS["analog"]]),
    ("switching", "switching-query", False, [ANSWERS["switching"][:18], ANSWERS["switching"][18:]]),
    ("line-speed", "line-speed-setting", False, [b"Set:3\r\n"]),
    ("line-speed-refused", "line-speed-setting", True, [b"Set:E\r\n"]),
    ("analog-range", "analog-setting", False, [b"DAC:1\r\n"]),
    ("switching-accepted", "switching-first", False, [b"ok\r\n"]),
    ("switching-refused", "switching-first", False, [b"Ezz\r\n"]),
    ("switching-second", "switching-second", False, [b"o", b"k\r\n"]),
    ("auto-measure", "auto-measure-setting", False, [b"Auto:1\r\n"]),
    ("zero-byte-and-latin1", "idle-no-frames", False, [b"ab\0cd\r\n", b"\xff\xfe\xc2"]),
]

BELIEVED = {  # name: (the two bytes of the read sizes, what the sensor sent)
    "frames": (b"\x01\x00", b"DT:00012345\r\nDT:00000000\r\n\x85\x86DT:00012345\r\n"),
    "identity": (b"\x07\x00", b"DEVICE-ID: 40618127A17\r\n"),
    "identity-nul": (b"\x07\x00", b"DEVIC\0XE-ID: 40618127A17\r\n"),
    "analog": (b"\x03\x01", b"AOUT=1,150+20000+\r\n"),
    "switching-nul": (b"\x05\x00",
                      b"on1:15\0 0\r\noff1:1400\r\non2:3000\r\noff2:2900\r\nSet:3\r\nok\r\n"),
    "auto-after-frame": (b"\x02\x00", b"DT:00001234\r\nAuto:0\r\n"),
    "analog-refused": (b"\x04\x00", b"DT:NAK\r\nDAC:0\r\n"),
}


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, data in ANSWERS.items():
        write(os.path.join(here, "corpus", "fuzz_answers"), name, data)
    for name, (sizes, sent) in BELIEVED.items():
        write(os.path.join(here, "corpus", "fuzz_believed"), name, sizes + sent)
    for name, state, hex_, chunks in RECEIVE:
        tail = [STATES.index(state), int(hex_)] + [len(c) - 1 for c in chunks]
        write(os.path.join(here, "corpus", "fuzz_receive"), name,
              b"".join(chunks) + bytes(reversed(tail)))


if __name__ == "__main__":
    main()
