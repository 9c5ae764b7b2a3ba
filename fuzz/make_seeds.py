#!/usr/bin/env python3
"""Writes the reader fuzzer's seed inputs: small fonts that reach every
table parser. The fuzzer's own finds are kept beside them in corpus/reader."""
import os
import struct
import sys


def font(tables, version=0x00010000, pad=0):
    out = struct.pack(">IHHHH", version, len(tables), 0, 0, 0)
    off = 12 + 16 * len(tables)
    for tag, body in tables:
        out += tag + struct.pack(">III", 0, off, len(body))
        off += len(body)
    for _, body in tables:
        out += body
    return out + b"\0" * pad


def names(entries):
    head = struct.pack(">HHH", 0, len(entries), 6 + 12 * len(entries))
    storage = b""
    for platform, encoding, language, name_id, text in entries:
        raw = text.encode("utf-16-be") if platform == 3 else text.encode("latin-1")
        head += struct.pack(">6H", platform, encoding, language, name_id, len(raw), len(storage))
        storage += raw
    return head + storage


def format4(segments):
    n = len(segments)
    out = struct.pack(">7H", 4, 16 + 8 * n, 0, 2 * n, 0, 0, 0)
    out += b"".join(struct.pack(">H", e) for _, e in segments) + b"\0\0"
    out += b"".join(struct.pack(">H", s) for s, _ in segments)
    return out + b"\0\1" * n + b"\0\0" * n


def cmap(encodings):
    out = struct.pack(">HH", 0, len(encodings))
    off = 4 + 8 * len(encodings)
    subs = b""
    for platform, encoding, body in encodings:
        out += struct.pack(">HHI", platform, encoding, off + len(subs))
        subs += body
    return out + subs


def os2(version):
    body = struct.pack(">H", version) + b"\0" * 30 + bytes([2, 11, 6, 4, 2, 2, 2, 2, 2, 4]) + b"\0" * 36
    return body + (b"\0" * 8 if version >= 1 else b"") + (b"\0" * 10 if version >= 2 else b"")


def main(folder):
    os.makedirs(folder, exist_ok=True)
    latin = format4([(0x20, 0x7E), (0xA0, 0xFF), (0xFFFF, 0xFFFF)])
    seeds = {
        "empty-truetype": font([]),
        "empty-cff": font([], 0x4F54544F),
        "collection": b"ttcf" + b"\0" * 12,
        "names": font([(b"name", names([(1, 0, 0, 4, "Mac"), (3, 1, 0x409, 1, "Family"),
                                         (3, 1, 0x409, 4, "Family Regular"), (3, 1, 0x407, 4, "Familie")]))]),
        "cmap-unicode": font([(b"cmap", cmap([(3, 1, latin)]))]),
        "cmap-symbol": font([(b"cmap", cmap([(3, 0, format4([(0xF020, 0xF0FF), (0xFFFF, 0xFFFF)])),
                                              (3, 1, latin)]))]),
        "os2-v0": font([(b"OS/2", os2(0))], pad=40),
        "os2-v3": font([(b"OS/2", os2(3))], pad=40),
        "whole": font([(b"OS/2", os2(4)), (b"cmap", cmap([(0, 3, latin), (3, 1, latin)])),
                       (b"head", b"\0" * 54),
                       (b"name", names([(3, 1, 0x409, 4, "Whole \U0001F600")]))], pad=64),
    }
    # Empty ranges that begin past the end of the file: a Windows name of
    # length 0 at string offset 0x1000, and a format 4 subtable of no
    # segments cut after its 14-byte header.
    far_name = struct.pack(">HHH", 0, 1, 18) + struct.pack(">6H", 3, 1, 0x409, 4, 0, 0x1000)
    seeds["empty-name-past-end"] = font([(b"name", far_name)])
    seeds["format4-header-at-end"] = font([(b"cmap", cmap([(3, 1, format4([]))]))])[:-2]
    # 16,000 Windows names whose texts overlap: record i reads 65,534 bytes
    # at string offset 4 * i, the storage beginning at the first record (as
    # tests/support/FontBuilder's OverlappingNameTable). 1 GB of text in a
    # file of 257 KB.
    overlapping = struct.pack(">HHH", 0, 16000, 6)
    overlapping += b"".join(struct.pack(">6H", 3, 1, 0x409, 4, 65534, 4 * i) for i in range(16000))
    seeds["overlapping-names"] = font([(b"name", overlapping + b"\0" * 65534)])
    for name, data in seeds.items():
        with open(os.path.join(folder, "seed-" + name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus", "reader"))
