#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the example files beside this script. Run it again after editing."""
import pathlib
import struct

here = pathlib.Path(__file__).resolve().parent


def chunk(kind: bytes, data: bytes) -> bytes:
    return kind + struct.pack(">I", len(data)) + data


def header(fmt: int, tracks: int, division: int = 480) -> bytes:
    return chunk(b"MThd", struct.pack(">HHH", fmt, tracks, division))


def meta(kind: int, data: bytes, delta: int = 0) -> bytes:
    assert delta < 0x80 and len(data) < 0x80
    return bytes([delta, 0xFF, kind, len(data)]) + data


END = meta(0x2F, b"")

conductor = (
    meta(0x02, b"(C) 2026 Quelder examples")
    + meta(0x03, b"Conductor")
    + meta(0x58, bytes([4, 2, 24, 8]))
    + meta(0x59, bytes([0xFE, 0]))  # B flat major
    + meta(0x51, struct.pack(">I", 500000)[1:])
    + END
)
# A C major scale, with running status for every note after the first.
notes = bytearray(meta(0x03, b"Piano") + bytes([0x00, 0xC0, 0x00]))
first = True
for key in (60, 62, 64, 65, 67, 69, 71, 72):
    notes += bytes([0x00, 0x90, key, 0x60]) if first else bytes([0x00, key, 0x60])
    notes += bytes([0x83, 0x60, key, 0x00])  # delta 480, note-on velocity 0 ends it
    first = False
notes += END

(here / "conforming.mid").write_bytes(header(1, 2) + chunk(b"MTrk", conductor) + chunk(b"MTrk", bytes(notes)))

# A vendor chunk and an unknown meta type draw warnings only.
warned = chunk(b"XVnd", b"vendor data") + chunk(b"MTrk", meta(0x21, b"\x00") + meta(0x03, b"Solo") + END)
(here / "warnings.mid").write_bytes(header(0, 1) + warned)

# The tempo of a format 1 file belongs in its first track.
late_tempo = meta(0x03, b"Piano") + meta(0x51, struct.pack(">I", 600000)[1:], delta=0x60) + END
(here / "nonconforming.mid").write_bytes(header(1, 2) + chunk(b"MTrk", meta(0x03, b"Conductor") + END) + chunk(b"MTrk", late_tempo))
