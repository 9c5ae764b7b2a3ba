#!/usr/bin/env python3
"""Writes UnicodeData.bin, the character names the font map shows.

    make_unicode_names.py UnicodeData.txt NameAliases.txt OUT

Layout, little-endian throughout: a u16 record count, then for each code
point of the Basic Multilingual Plane that has a name, in code order: the
code point (u16), the number of UTF-16 units that follow (u16), and the name
in UTF-16 ending in a zero unit, so that it can be read in place.

Then the other planes, which a reader of the part above alone never sees: a
u32 record count and records as above with a u32 code point; a u16 range
count and for each range of ideographs its first and last code points (u32
each), the number of units that follow (u16), and the prefix of its names
ending in a zero unit. A code point of a range is named by the prefix and
its code in upper-case hexadecimal ("CJK UNIFIED IDEOGRAPH-20000").

Names are those of UnicodeData.txt, with its ranges spelled out: CJK unified
ideographs as "CJK UNIFIED IDEOGRAPH-XXXX", Hangul syllables by the Hangul
algorithm. A control character, which has no name, takes its first alias of
the type "control" from NameAliases.txt. Surrogates, private-use code points
and unassigned ones get no record.
"""

import os
import struct
import sys

# Hangul syllable composition (Unicode chapter 3.12).
S_BASE, L_COUNT, V_COUNT, T_COUNT = 0xAC00, 19, 21, 28
JAMO_L = ["G", "GG", "N", "D", "DD", "R", "M", "B", "BB", "S", "SS", "", "J", "JJ",
          "C", "K", "T", "P", "H"]
JAMO_V = ["A", "AE", "YA", "YAE", "EO", "E", "YEO", "YE", "O", "WA", "WAE", "OE", "YO",
          "U", "WEO", "WE", "WI", "YU", "EU", "YI", "I"]
JAMO_T = ["", "G", "GG", "GS", "N", "NJ", "NH", "D", "L", "LG", "LM", "LB", "LS", "LT",
          "LP", "LH", "M", "B", "BS", "S", "SS", "NG", "J", "C", "K", "T", "P", "H"]

BMP_END = 0xFFFF

# The ranges of UnicodeData.txt whose code points are named by a prefix and
# the code point; past the Basic Multilingual Plane they stay ranges.
RANGE_PREFIXES = {"CJK Ideograph": "CJK UNIFIED IDEOGRAPH-", "Tangut Ideograph": "TANGUT IDEOGRAPH-"}


def hangul_name(code):
    index = code - S_BASE
    l = index // (V_COUNT * T_COUNT)
    v = (index % (V_COUNT * T_COUNT)) // T_COUNT
    t = index % T_COUNT
    return "HANGUL SYLLABLE " + JAMO_L[l] + JAMO_V[v] + JAMO_T[t]


def range_prefix(label):
    for start, prefix in RANGE_PREFIXES.items():
        if label.startswith(start):
            return prefix
    return None


def range_name(label, code):
    """The name of `code` inside a range of UnicodeData.txt; None when the
    range's code points have no names (surrogates, private use)."""
    prefix = range_prefix(label)
    if prefix is not None:
        return prefix + "%04X" % code
    if label.startswith("Hangul Syllable"):
        return hangul_name(code)
    return None


def control_aliases(path):
    """The first alias of the type "control" of each code point."""
    aliases = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            fields = [field.strip() for field in line.split(";")]
            if len(fields) < 3:
                raise ValueError("NameAliases.txt: a line without three fields: %r" % line)
            code = int(fields[0], 16)
            if fields[2] == "control" and code not in aliases:
                aliases[code] = fields[1]
    return aliases


def names(unicode_data, aliases):
    """The names of the Basic Multilingual Plane, those of the other planes,
    and the other planes' ranges as (first, last, prefix)."""
    result = {}
    supplementary = {}
    ranges = []
    range_start = None
    with open(unicode_data, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line:
                continue
            fields = line.split(";")
            if len(fields) < 2:
                raise ValueError("UnicodeData.txt:%d: a line without a name" % number)
            code = int(fields[0], 16)
            name = fields[1]
            if name.startswith("<") and name.endswith(", First>"):
                range_start = (code, name[1:-len(", First>")])
                continue
            if name.startswith("<") and name.endswith(", Last>"):
                if range_start is None or range_start[1] != name[1:-len(", Last>")]:
                    raise ValueError("UnicodeData.txt:%d: a range end without its start" % number)
                first, label = range_start
                range_start = None
                for c in range(first, min(code, BMP_END) + 1):
                    spelled = range_name(label, c)
                    if spelled is not None:
                        result[c] = spelled
                if code > BMP_END and range_prefix(label) is not None:
                    ranges.append((max(first, BMP_END + 1), code, range_prefix(label)))
                continue
            if code > BMP_END:
                if not name.startswith("<"):
                    supplementary[code] = name
                continue
            if name == "<control>":
                if code in aliases:
                    result[code] = aliases[code]
                continue
            if name.startswith("<"):
                continue
            result[code] = name
    if range_start is not None:
        raise ValueError("UnicodeData.txt: a range without its end")
    return result, supplementary, sorted(ranges)


def encode(table, supplementary, ranges):
    out = bytearray(struct.pack("<H", len(table)))
    for code in sorted(table):
        units = table[code].encode("utf-16-le") + b"\0\0"
        out += struct.pack("<HH", code, len(units) // 2)
        out += units
    out += struct.pack("<I", len(supplementary))
    for code in sorted(supplementary):
        units = supplementary[code].encode("utf-16-le") + b"\0\0"
        out += struct.pack("<IH", code, len(units) // 2)
        out += units
    out += struct.pack("<H", len(ranges))
    for first, last, prefix in ranges:
        units = prefix.encode("utf-16-le") + b"\0\0"
        out += struct.pack("<IIH", first, last, len(units) // 2)
        out += units
    return bytes(out)


def main(argv):
    if len(argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    table, supplementary, ranges = names(argv[1], control_aliases(argv[2]))
    if len(table) > 0xFFFF:
        print("too many names for a 16-bit count: %d" % len(table), file=sys.stderr)
        return 1
    data = encode(table, supplementary, ranges)
    with open(argv[3] + ".tmp", "wb") as f:
        f.write(data)
    os.replace(argv[3] + ".tmp", argv[3])
    print("UnicodeData.bin: %d records, %d past U+FFFF, %d ranges, %d bytes"
          % (len(table), len(supplementary), len(ranges), len(data)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
