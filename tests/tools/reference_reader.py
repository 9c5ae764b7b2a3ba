#!/usr/bin/env python3
"""A second, independent reading of font files, written in Python from the
reader's rules, to compare with `quillmark-cli info --json` line by line.

usage: reference_reader.py FILE...   (one JSON object a line, as the CLI)
"""
import json
import os
import stat
import struct
import sys

MAX_SIZE = 50 * 1024 * 1024


class Corrupt(Exception):
    pass


def u16(buf, at):
    if at < 0 or at + 2 > len(buf):
        raise Corrupt()
    return struct.unpack_from(">H", buf, at)[0]


def u32(buf, at):
    if at < 0 or at + 4 > len(buf):
        raise Corrupt()
    return struct.unpack_from(">I", buf, at)[0]


def need(buf, at, n):
    if n > 0 and (at + n > len(buf)):
        raise Corrupt()


def read_font(buf):
    size = len(buf)
    if size < 12:
        raise Corrupt()
    version = u32(buf, 0)
    if version not in (0x00010000, 0x4F54544F):
        raise Corrupt()
    num_tables = u16(buf, 4)
    remaining = (size - 12) & 0xFFFFFFFF
    pos = 12
    names = None
    cmap = None
    panose = [0] * 10
    for _ in range(num_tables):
        if remaining < 16:
            raise Corrupt()
        need(buf, pos, 16)
        tag = buf[pos:pos + 4]
        offset = u32(buf, pos + 8)
        if offset >= size:
            raise Corrupt()
        remaining = (remaining - 16) & 0xFFFFFFFF
        pos += 16
        if tag == b"cmap":
            if cmap is not None or remaining < 4:
                raise Corrupt()
            cmap, used = parse_cmap(buf, offset)
            remaining = (remaining - used) & 0xFFFFFFFF
        elif tag == b"name":
            if names is not None or remaining < 6:
                raise Corrupt()
            names = parse_names(buf, offset, remaining)
            remaining = (remaining - 6) & 0xFFFFFFFF
        elif tag == b"OS/2":
            if remaining < 100:
                raise Corrupt()
            panose, used = parse_os2(buf, offset)
            remaining = (remaining - used) & 0xFFFFFFFF
    return names or [], cmap or ([], False), panose


def parse_names(buf, offset, available):
    need(buf, offset, 6)
    count = u16(buf, offset + 2)
    storage = offset + u16(buf, offset + 4)
    left = available - 6
    records = []
    for i in range(count):
        if left < 12:
            raise Corrupt()
        at = offset + 6 + 12 * i
        need(buf, at, 12)
        platform, encoding, language, name_id, length, str_off = struct.unpack_from(">6H", buf, at)
        left -= 12
        if platform != 3:
            continue
        need(buf, storage + str_off, length)
        raw = buf[storage + str_off: storage + str_off + (length // 2) * 2]
        units = list(struct.unpack(">%dH" % (length // 2), raw))
        records.append(dict(platformID=platform, encodingID=encoding, languageID=language,
                            nameID=name_id, units=units))
    return records


def parse_cmap(buf, offset):
    need(buf, offset, 4)
    num = u16(buf, offset + 2)
    subtables = []
    symbol = False
    for i in range(num):
        rec = offset + 4 + 8 * i
        need(buf, rec, 8)
        platform, encoding, sub = struct.unpack_from(">HHI", buf, rec)
        if platform != 3:
            continue
        sub_at = offset + sub
        fmt = u16(buf, sub_at)
        if fmt == 4:
            subtables.append(dict(encodingID=encoding, codes=format4(buf, sub_at)))
        if encoding == 0:
            symbol = True
    return (subtables, symbol), 4 + 8 * num


def format4(buf, at):
    need(buf, at, 14)
    seg = u16(buf, at + 6) // 2
    need(buf, at + 14, 2 * seg)
    need(buf, at + 16 + 2 * seg, 2 * seg)
    ends = [u16(buf, at + 14 + 2 * i) for i in range(seg)]
    starts = [u16(buf, at + 16 + 2 * seg + 2 * i) for i in range(seg)]
    count = 0
    k = 0
    while k < seg and ends[k] != 0xFFFF and starts[k] != 0xFFFF:
        count = (count + ((ends[k] - starts[k] + 1) & 0xFFFF)) & 0xFFFF
        k += 1
    codes = []
    for s in range(k):
        c = starts[s]
        while c <= ends[s] and len(codes) < count:
            codes.append(c)
            c += 1
        if len(codes) >= count:
            break
    codes += [0] * (count - len(codes))
    return codes


def parse_os2(buf, offset):
    need(buf, offset, 78)
    version = u16(buf, offset)
    panose = list(buf[offset + 32: offset + 42])
    if version == 1:
        need(buf, offset, 86)
        return panose, 88
    if version in (2, 3):
        need(buf, offset, 96)
        return panose, 98
    return panose, 80


def text_of(units):
    # Pairs become one character; a lone surrogate stays as it is.
    return struct.pack(">%dH" % len(units), *units).decode("utf-16-be", "surrogatepass")


def report(path):
    try:
        st = os.stat(path)
        size = st.st_size if stat.S_ISREG(st.st_mode) else 0
        if not stat.S_ISREG(st.st_mode) or not os.access(path, os.R_OK):
            size = 0
    except OSError:
        size = 0
    if size >= MAX_SIZE:
        return {"path": path, "status": 5}
    try:
        if not stat.S_ISREG(os.stat(path).st_mode):
            raise OSError()
        with open(path, "rb") as f:
            buf = f.read(size)
    except OSError:
        return {"path": path, "status": 2}
    if len(buf) < size:
        return {"path": path, "status": 3}
    try:
        names, (subtables, symbol), panose = read_font(buf)
    except Corrupt:
        return {"path": path, "status": 4}

    def name(i):
        for r in names:
            if r["nameID"] == i and r["languageID"] == 0x0409:
                return text_of(r["units"])
        return None

    return {
        "path": path, "status": 1, "fullName": name(4), "familyName": name(1),
        "symbol": symbol, "panose": panose,
        "names": [dict(platformID=r["platformID"], encodingID=r["encodingID"],
                       languageID=r["languageID"], nameID=r["nameID"], text=text_of(r["units"]))
                  for r in names],
        "subtables": [dict(encodingID=s["encodingID"], count=len(s["codes"]), codes=s["codes"])
                      for s in subtables],
    }


if __name__ == "__main__":
    for p in sys.argv[1:]:
        print(json.dumps(report(p), ensure_ascii=False))
