#!/usr/bin/env python3
"""Writes the seed corpus of link_fuzz: one well-behaved device run per operation,
plus a few misbehaving ones, in the fuzzer's input layout (see link_fuzz.cpp)."""
import os
import sys

OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus")
NO_FAIL = 0xFF
FB, FC = 0xFB, 0xFC
DELAYED = 0x40
DELAY_STEP_MS = 4


class Slow:
    """An answer that starts delay_ms into its read."""
    def __init__(self, delay_ms, answer):
        self.steps, self.answer = delay_ms // DELAY_STEP_MS, answer


def seed(op, param=0, count=0, fail_write=NO_FAIL, short_write=0xFF, short_count=0xFF, answers=()):
    out = bytes([op, param, count, fail_write, short_write, short_count])
    for a in answers:
        if a is None:
            out += bytes([0xFF])
        elif isinstance(a, Slow):
            out += bytes([DELAYED | len(a.answer), a.steps]) + bytes(a.answer)
        else:
            out += bytes([len(a)]) + bytes(a)
    return out


text = lambda n, s=0: [(s + i * 7 + 1) & 0xFF for i in range(n)]
seeds = {
    "exchange_split": seed(0, 2, answers=[[FB], [], [0x12], [0x34]]),
    "exchange_surplus": seed(0, 1, answers=[[FB, 1, 2, 3]]),
    "query_file": seed(1, answers=[[FB, 3]]),
    "select_file": seed(2, 4, answers=[[FB], [FB, 5]]),
    "retrieve_120": seed(3, 200, answers=[[FB, 0, 120], [FB], text(50), text(50), text(20)]),
    "retrieve_overshoot": seed(3, 200, answers=[[FB, 0, 120], [FB], text(50), text(50), text(50)]),
    "retrieve_gaps": seed(3, 255, answers=[[FB, 0, 60], [FB], text(30), [], [], text(30)]),
    "retrieve_too_long": seed(3, 100, answers=[[FB, 0, 51], [FB], text(50)]),
    "length_only": seed(4, answers=[[FB, 1, 0]]),
    "send_replace": seed(5, 0, 30, answers=[[FB, 0x0B, 0xB8], [FB], [FB], [FB], [FB], [FB], [FB]]),
    "send_append": seed(5, 1, 13, answers=[[FB, 3, 0xE8], [FB, 3, 0xDE], [FB], [FB], [FB]]),
    "send_full": seed(5, 0, 30, answers=[[FB, 0x0B, 0xB8], [FB], [FB], [FB], [FC]]),
    "send_fallback": seed(5, 14, 40, answers=[[0xFA, 0, 0], [FB], [FB], [FB], [FB], [FB], [FB]]),
    "send_short_write": seed(5, 0, 15, short_write=3, short_count=20,
                             answers=[[FB, 0x0B, 0xB8], [FB], [FB], [FB], [FB], [FB]]),
    "send_write_fails": seed(5, 0, 30, fail_write=4, answers=[[FB, 0x0B, 0xB8], [FB], [FB], [FB]]),
    "hello_drain": seed(6, answers=[list(b"Quillatron IR v1.0"), text(25)]),
    # An identity in pieces 600 ms apart: only the hello's time limit ends its read-on.
    "hello_slow": seed(6, answers=[Slow(600, b"Quill"), Slow(600, b"atron"), Slow(600, b" IR v1.0")]),
    # Stale bytes every 400 ms: only the drain's time limit ends it.
    "drain_slow": seed(6, answers=[list(b"Quillatron IR v1.0")] + [Slow(400, text(10, i)) for i in range(8)]),
    "read_fails": seed(3, 200, answers=[[FB, 0, 120], [FB], text(50), None]),
}
os.makedirs(OUT, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)
