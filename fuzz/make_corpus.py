#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the fuzzer's seed corpus into fuzz/corpus/: the shipped examples and
small images like those of the end-to-end cases, one file per seed, named by
what it holds. Run it again after editing; the fuzz run itself works on a
copy and never grows this directory."""
import pathlib
import shutil

here = pathlib.Path(__file__).resolve().parent
corpus = here / "corpus"
examples = here.parent / "examples"


def h(text: str) -> bytes:
    return bytes.fromhex(text)


def be32(value: int) -> bytes:
    return value.to_bytes(4, "big")


def header(fmt: int = 0, tracks: int = 1, division: str = "00 60") -> bytes:
    return b"MThd" + be32(6) + fmt.to_bytes(2, "big") + tracks.to_bytes(2, "big") + h(division)


def track(body: str, declared: int = -1) -> bytes:
    data = h(body)
    return b"MTrk" + be32(len(data) if declared < 0 else declared) + data


EOT = "00 FF 2F 00"

seeds = {
    "empty": b"",
    "header-only": header(0, 0),
    "header-lowercase": b"mthd" + be32(6) + h("00 00 00 01 00 60"),
    "header-length-7": b"MThd" + be32(7) + h("00 00 00 01 00 60 00"),
    "header-smpte-30": header(0, 0, "E2 50"),
    "header-smpte-bad": header(0, 0, "E4 00"),
    "minimal": header() + track(EOT),
    "running-status": header() + track("00 90 3C 40 00 3C 00" + EOT),
    "all-channel-messages": header() + track(
        "00 80 3C 40 00 90 3C 40 00 A0 3C 40 00 B0 07 64 00 C0 05 00 D0 10 00 E0 00 40" + EOT),
    "sysex": header() + track("00 F0 02 43 F7 00 F7 01 43" + EOT),
    "sysex-unterminated": header() + track("00 F0 02 43 12" + EOT),
    "invalid-status": header() + track("00 F8" + EOT),
    "meta-all-recognised": header(1, 1) + track(
        "00 FF 02 03 28 43 29 00 FF 00 02 00 01 00 FF 01 01 61 00 FF 03 00 00 FF 04 00"
        " 00 FF 05 00 00 FF 06 00 00 FF 07 00 00 FF 20 01 00 00 FF 51 03 07 A1 20"
        " 00 FF 54 05 00 00 00 00 00 00 FF 58 04 04 02 18 08 00 FF 59 02 F9 01"
        " 00 FF 7F 02 00 01" + EOT),
    "meta-unknown": header() + track("00 FF 21 01 00 00 FF 08 00 00 FF 80 00" + EOT),
    "meta-length-long": header() + track("00 FF 01 81 00" + "61" * 128 + EOT),
    "copyright-sjis": header() + track("00 FF 02 04 81 28 43 29" + EOT),
    "key-signature-bad": header() + track("00 FF 59 02 08 00" + EOT),
    "tempo-second-track": header(1, 2) + track(EOT) + track("60 FF 51 03 07 A1 20" + EOT),
    "unknown-chunk": header(0, 2) + track(EOT) + b"XVnd" + be32(2) + h("01 02") + track(EOT),
    "second-header": header(0, 1) + track(EOT) + header(0, 1),
    "track-length-short": header() + track(EOT, declared=3),
    "track-length-long": header() + track(EOT + "00", declared=5),
    "track-empty": header() + track("", declared=0),
    "delta-five-bytes": header() + track("81 82 83 84 05" + EOT),
    "delta-max": header() + track("FF FF FF 7F FF 2F 00"),
    "stray-bytes": header() + track(EOT) + h("4D 54 72"),
    "huge-sysex": header() + track("00 F0 FF FF FF 7F 01 02"),
    "huge-meta": header() + track("00 FF 01 FF FF FF 7F 61"),
    "huge-unknown-meta": header() + track("00 FF 21 FF FF FF 7F 61"),
    "huge-chunk": header() + b"XVnd" + be32(0xFFFFFFFF) + h("01 02 03"),
    "format-2-tracks": header(2, 3) + track(EOT) + track("00 C0 01" + EOT) + track(EOT),
}

corpus.mkdir(exist_ok=True)
for name, image in seeds.items():
    (corpus / name).write_bytes(image)
for example in sorted(examples.glob("*.mid")):
    shutil.copyfile(example, corpus / ("example-" + example.stem))
