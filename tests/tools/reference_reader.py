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
import zlib

MAX_SIZE = 50 * 1024 * 1024
MAX_FACES = 1024


class Corrupt(Exception):
    pass


class TooLarge(Exception):
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


def read_face(buf, start, available):
    """The face whose offset table is at `start`; `available` is what the
    container's header left of the count of bytes."""
    size = len(buf)
    if available < 12:
        raise Corrupt()
    need(buf, start, 12)
    version = u32(buf, start)
    if version not in (0x00010000, 0x4F54544F):
        raise Corrupt()
    num_tables = u16(buf, start + 4)
    remaining = (available - 12) & 0xFFFFFFFF
    pos = start + 12
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
    return names or [], cmap or ([], False, []), panose, version == 0x4F54544F


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
    windows_full = None
    unicode_full = None
    for i in range(num):
        rec = offset + 4 + 8 * i
        need(buf, rec, 8)
        platform, encoding, sub = struct.unpack_from(">HHI", buf, rec)
        sub_at = offset + sub
        fmt = struct.unpack_from(">H", buf, sub_at)[0] if 0 <= sub_at <= len(buf) - 2 else None
        if platform == 0 and unicode_full is None and fmt in (12, 13):
            unicode_full = sub_at
        if platform != 3:
            continue
        if encoding == 10 and windows_full is None and fmt == 12:
            windows_full = sub_at
        fmt = u16(buf, sub_at)
        if fmt == 4:
            subtables.append(dict(encodingID=encoding, codes=format4(buf, sub_at)))
        if encoding == 0:
            symbol = True
    full = windows_full if windows_full is not None else unicode_full
    supplementary = format12(buf, full) if full is not None else []
    return (subtables, symbol, supplementary), 4 + 8 * num


def format12(buf, at):
    """The characters past U+FFFF, as sorted [first, last] ranges apart;
    nothing when the map cannot be read."""
    if at + 16 > len(buf):
        return []
    groups = struct.unpack_from(">I", buf, at + 12)[0]
    if at + 16 + 12 * groups > len(buf):
        return []
    ranges = []
    for i in range(groups):
        first, last, _ = struct.unpack_from(">III", buf, at + 16 + 12 * i)
        first, last = max(first, 0x10000), min(last, 0x10FFFF)
        if first <= last:
            ranges.append([first, last])
    ranges.sort(key=lambda r: r[0])
    merged = []
    for r in ranges:
        if merged and r[0] <= merged[-1][1] + 1:
            merged[-1][1] = max(merged[-1][1], r[1])
        else:
            merged.append(r)
    return merged


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


def write_font(flavor, tables):
    """An offset table and the tables on 4-byte boundaries, as the reader
    lays out a decoded web font."""
    n = len(tables)
    selector = 0
    while (2 << selector) <= n:
        selector += 1
    search = 16 << selector
    out = bytearray(struct.pack(">IHHHH", flavor, n, search, selector, (n * 16 - search) & 0xFFFF))
    at = 12 + 16 * n
    for tag, checksum, data in tables:
        out += struct.pack(">4sIII", tag, checksum, at, len(data))
        at += (len(data) + 3) & ~3
    for _, _, data in tables:
        out += data + b"\0" * (((len(data) + 3) & ~3) - len(data))
    return bytes(out)


def decode_woff(buf):
    if len(buf) < 44:
        raise Corrupt()
    _, flavor, length, n = struct.unpack_from(">IIIH", buf, 0)
    if length != len(buf) or n == 0 or 44 + 20 * n > len(buf):
        raise Corrupt()
    entries = [struct.unpack_from(">4sIIII", buf, 44 + 20 * i) for i in range(n)]
    total = 12 + 16 * n
    for _, offset, comp, orig, _ in entries:
        if comp > orig or (comp > 0 and offset + comp > len(buf)):
            raise Corrupt()
        total += (orig + 3) & ~3
    if total >= MAX_SIZE:
        raise TooLarge()
    tables = []
    for tag, offset, comp, orig, checksum in entries:
        data = buf[offset:offset + comp]
        if comp < orig:
            d = zlib.decompressobj()
            try:
                data = d.decompress(data, orig)
            except zlib.error:
                raise Corrupt()
            if not d.eof or len(data) != orig:
                raise Corrupt()
        tables.append((tag, checksum, data))
    return write_font(flavor, tables)


def decode_woff2(buf):
    """fontTools' decoding: a reading independent of the decoder the
    program links."""
    import io
    try:
        from fontTools.ttLib import TTFont, TTCollection
    except ImportError:
        sys.path.append("/usr/lib/python3/dist-packages")
        from fontTools.ttLib import TTFont, TTCollection
    # The size the header declares bounds the decoding, as the reader's does.
    if len(buf) >= 20 and struct.unpack_from(">I", buf, 16)[0] >= MAX_SIZE:
        raise TooLarge()
    out = io.BytesIO()
    try:
        # Saved as a plain font: a font read from a WOFF2 would save as one.
        if len(buf) >= 8 and buf[4:8] == b"ttcf":
            collection = TTCollection(io.BytesIO(buf))
            for font in collection.fonts:
                font.flavor = None
            collection.save(out)
        else:
            # Each table as the decoder gives it back, never parsed and
            # compiled again: fontTools cannot compile every table it reads
            # (a tag of bytes past ASCII), which says nothing of the file.
            from fontTools.ttLib.woff2 import WOFF2Reader
            reader = WOFF2Reader(io.BytesIO(buf))
            tables = [(str(tag).encode("latin-1"), 0, bytes(reader[tag]))
                      for tag in reader.keys()]
            version = reader.sfntVersion
            if isinstance(version, str):
                version = version.encode("latin-1")
            return write_font(struct.unpack(">I", version)[0], tables)
    except Exception:
        raise Corrupt()
    return out.getvalue()


def faces_of(buf):
    """(container, font, [(start, available)...]) of the file's bytes."""
    tag = buf[:4]
    container = "font"
    if tag in (b"wOFF", b"wOF2"):
        container = "woff" if tag == b"wOFF" else "woff2"
        buf = decode_woff(buf) if tag == b"wOFF" else decode_woff2(buf)
        if buf[:4] in (b"wOFF", b"wOF2"):
            raise Corrupt()
    if buf[:4] != b"ttcf":
        return container, buf, [(0, len(buf))]
    if container == "font":
        container = "collection"
    if len(buf) < 12:
        raise Corrupt()
    major, _, count = struct.unpack_from(">HHI", buf, 4)
    if count == 0 or count > MAX_FACES or 12 + 4 * count > len(buf):
        raise Corrupt()
    size = 12 + 4 * count + (12 if major >= 2 else 0)
    if size > len(buf):
        raise Corrupt()
    starts = struct.unpack_from(">%dI" % count, buf, 12)
    return container, buf, [(start, len(buf) - size) for start in starts]


FORMATS = {
    ("font", False): "TrueType", ("font", True): "OpenType (PostScript outlines)",
    ("collection", False): "TrueType collection", ("collection", True): "OpenType collection",
}


def format_name(container, cff, count):
    if container == "woff":
        return "WOFF"
    if container == "woff2":
        return "WOFF2 collection" if count > 1 else "WOFF2"
    return FORMATS[(container, cff)]


def text_of(units):
    # Pairs become one character; a lone surrogate stays as it is.
    return struct.pack(">%dH" % len(units), *units).decode("utf-16-be", "surrogatepass")


def report(path):
    """One object a face, as `quillmark-cli info --json` prints them."""
    def alone(status, count=0):
        return [{"path": path, "status": status, "faceIndex": 0, "faceCount": count}]

    try:
        st = os.stat(path)
        size = st.st_size if stat.S_ISREG(st.st_mode) else 0
        if not stat.S_ISREG(st.st_mode) or not os.access(path, os.R_OK):
            size = 0
    except OSError:
        size = 0
    if size >= MAX_SIZE:
        return alone(5)
    try:
        if not stat.S_ISREG(os.stat(path).st_mode):
            raise OSError()
        with open(path, "rb") as f:
            buf = f.read(size)
    except OSError:
        return alone(2)
    if len(buf) < size:
        return alone(3)
    # A font of one face in a file of its own has one face even when corrupt.
    plain = buf[:4] not in (b"ttcf", b"wOFF", b"wOF2")
    try:
        container, font, faces = faces_of(buf)
    except Corrupt:
        return alone(4, 1 if plain else 0)
    except TooLarge:
        return alone(5, 0)
    return [face_report(path, container, font, index, start, available, len(faces))
            for index, (start, available) in enumerate(faces)]


def face_report(path, container, font, index, start, available, count):
    head = {"path": path, "status": 4, "faceIndex": index, "faceCount": count}
    try:
        names, (subtables, symbol, supplementary), panose, cff = read_face(font, start, available)
    except Corrupt:
        return head

    def name(i):
        for r in names:
            if r["nameID"] == i and r["languageID"] == 0x0409:
                return text_of(r["units"])
        return None

    head.update({
        "status": 1, "format": format_name(container, cff, count),
        "fullName": name(4), "familyName": name(1),
        "symbol": symbol, "panose": panose,
        "names": [dict(platformID=r["platformID"], encodingID=r["encodingID"],
                       languageID=r["languageID"], nameID=r["nameID"], text=text_of(r["units"]))
                  for r in names],
        "subtables": [dict(encodingID=s["encodingID"], count=len(s["codes"]), codes=s["codes"])
                      for s in subtables],
        "supplementary": supplementary,
    })
    return head


if __name__ == "__main__":
    for p in sys.argv[1:]:
        for face in report(p):
            print(json.dumps(face, ensure_ascii=False))
