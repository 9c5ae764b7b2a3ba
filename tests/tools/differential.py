#!/usr/bin/env python3
"""Mutates font files where the reader looks (offset table, directory, and
the name, cmap and OS/2 tables), and compares `quillmark-cli info --json`
with reference_reader.py on every mutant.

usage: differential.py CLI COUNT [--containers A.ttf B.ttf] SEED...
A SEED is a font file, compared as it is and mutated, or a folder (the fuzz
corpus) whose files are compared as they are, those up to 64 KiB: a larger
one is there for the replays' memory bounds (a 257 KB font whose names add
up to 1 GB) and would print gigabytes here. With --containers, fontTools
makes a collection of the two fonts and a WOFF of the first, both seeds
too, and a WOFF2 of each, compared as they are (fontTools' WOFF2 encoding
and the program's decoder lay the tables out differently once mutated).
Exits 1 on the first disagreement, leaving the file behind.
"""
import json
import os
import random
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import reference_reader  # noqa: E402


SMALL = 64 * 1024


def directory_ranges(buf, start):
    ranges = [(start, min(len(buf), start + 12 + 16 * 64))]
    try:
        n = struct.unpack_from(">H", buf, start + 4)[0]
        for i in range(n):
            tag, _, off, length = struct.unpack_from(">4sIII", buf, start + 12 + 16 * i)
            if tag in (b"name", b"cmap", b"OS/2"):
                ranges.append((off, min(len(buf), off + min(length, 4096))))
    except struct.error:
        pass
    return ranges


def interesting_ranges(buf):
    """The offset tables and directories, and the tables the reader reads:
    of each face of a collection, and of a WOFF its header and directory
    (its tables are compressed)."""
    if buf[:4] == b"wOFF":
        return [(0, min(len(buf), 44 + 20 * 64))]
    if buf[:4] != b"ttcf":
        return directory_ranges(buf, 0)
    ranges = [(0, min(len(buf), 12 + 4 * 16))]
    try:
        count = struct.unpack_from(">I", buf, 8)[0]
        for i in range(min(count, 16)):
            ranges += directory_ranges(buf, struct.unpack_from(">I", buf, 12 + 4 * i)[0])
    except struct.error:
        pass
    return ranges


def mutate(buf, rng):
    buf = bytearray(buf)
    for _ in range(rng.randint(1, 4)):
        start, end = rng.choice(interesting_ranges(bytes(buf)))
        if end <= start:
            continue
        at = rng.randrange(start, end)
        kind = rng.random()
        if kind < 0.5:
            buf[at] = rng.randrange(256)
        elif kind < 0.7:
            buf[at] = rng.choice([0, 0xFF, 1, 3, 4])
        elif kind < 0.85 and at + 2 <= len(buf):
            buf[at:at + 2] = struct.pack(">H", rng.choice([0, 1, 0xFFFF, 0x7FFF, 0xFFFE, rng.randrange(65536)]))
        else:
            del buf[at:]
            break
    return bytes(buf)


DESIGN_KEYS = ("axes", "instances", "features", "scripts", "languages")


def compare(cli, paths):
    """The first path on which the CLI and the reference disagree, or None."""
    # Exit status 1 says that some file was not read as a font: each is still reported.
    run = subprocess.run([cli, "info", "--json"] + paths, capture_output=True)
    if run.returncode not in (0, 1):
        raise subprocess.CalledProcessError(run.returncode, run.args, run.stdout, run.stderr)
    out = run.stdout
    lines = [json.loads(line) for line in out.decode("utf-8").split("\n")[:-1]]
    # What HarfBuzz and fontconfig read of the face's design is not the
    # reader's: design_against_fonttools.py checks it.
    for line in lines:
        for key in DESIGN_KEYS:
            line.pop(key, None)
    at = 0
    for p in paths:
        # One object a face.
        theirs_all = reference_reader.report(p)
        ours_all = lines[at:at + len(theirs_all)]
        at += len(theirs_all)
        if len(ours_all) != len(theirs_all):
            print("disagreement on", p, ": faces", len(ours_all), "reference", len(theirs_all))
            return p
        for ours, theirs in zip(ours_all, theirs_all):
            if ours != theirs:
                print("disagreement on", p, "face", theirs.get("faceIndex"))
                for k in set(theirs) | set(ours):
                    if ours.get(k) != theirs.get(k):
                        print(" ", k, "ours:", str(ours.get(k))[:200],
                              "reference:", str(theirs.get(k))[:200])
                return p
    assert at == len(lines), "more objects than faces"
    return None


def make_containers(first, second, work):
    """A collection of the two fonts and a WOFF of the first (seeds), and a
    WOFF2 of each (compared as they are); nothing without fontTools."""
    try:
        from fontTools.ttLib import TTFont, TTCollection
    except ImportError:
        sys.path.append("/usr/lib/python3/dist-packages")
        try:
            from fontTools.ttLib import TTFont, TTCollection
        except ImportError:
            return [], []
    collection = TTCollection()
    # Made the same on every run (no new modification time), so that the
    # mutants are too.
    collection.fonts = [TTFont(first, recalcTimestamp=False), TTFont(second, recalcTimestamp=False)]
    ttc = os.path.join(work, "pair.ttc")
    collection.save(ttc, shareTables=True)
    woff = os.path.join(work, "first.woff")
    font = TTFont(first, recalcTimestamp=False)
    font.flavor = "woff"
    font.save(woff)
    woff2s = []
    for i, path in enumerate((first, second)):
        font = TTFont(path, recalcTimestamp=False)
        font.flavor = "woff2"
        woff2s.append(os.path.join(work, "font%d.woff2" % i))
        font.save(woff2s[-1])
    return [ttc, woff], woff2s


def main():
    cli, count, args = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    rng = random.Random(int(os.environ.get("SEED", "1")))
    work = tempfile.mkdtemp(prefix="qm-diff-")
    made, compared_only = [], []
    if args[:1] == ["--containers"]:
        made, compared_only = make_containers(args[1], args[2], work)
        args = args[3:]
        if not made:
            print("no fontTools: collections and web fonts are not compared")
    given = [s for s in args if os.path.isfile(s)]
    # A WOFF2 is compared as it is, never mutated: two decoders of broken
    # WOFF2 data differ in what they forgive (the format leaves that to
    # them), which says nothing of how either reads a font.
    woff2 = [s for s in given if open(s, "rb").read(4) == b"wOF2"]
    seeds = [s for s in given if s not in woff2] + made
    as_they_are = list(seeds) + woff2 + compared_only
    for folder in (a for a in args if os.path.isdir(a)):
        files = sorted(os.path.join(folder, n) for n in os.listdir(folder))
        as_they_are += [f for f in files if os.path.getsize(f) <= SMALL]
    for i in range(0, len(as_they_are), 200):
        if compare(cli, as_they_are[i:i + 200]) is not None:
            return 1
    if not seeds:
        print("no seed fonts (./test.sh installs the font packages)")
        return 77
    contents = [open(s, "rb").read() for s in seeds]
    batch = 200
    done = 0
    while done < count:
        paths = []
        for i in range(min(batch, count - done)):
            p = os.path.join(work, "m%d.ttf" % i)
            with open(p, "wb") as f:
                f.write(mutate(rng.choice(contents), rng))
            paths.append(p)
        bad = compare(cli, paths)
        if bad is not None:
            keep = os.path.join(work, "disagree.ttf")
            os.rename(bad, keep)
            print("kept as", keep)
            return 1
        done += len(paths)
    print("%d files as they are and %d mutants agree" % (len(as_they_are), done))
    return 0


if __name__ == "__main__":
    sys.exit(main())
