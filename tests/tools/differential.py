#!/usr/bin/env python3
"""Mutates font files where the reader looks (offset table, directory, and
the name, cmap and OS/2 tables), and compares `quillmark-cli info --json`
with reference_reader.py on every mutant.

usage: differential.py CLI COUNT SEED...
A SEED is a font file, compared as it is and mutated, or a folder (the fuzz
corpus) whose files are compared as they are, those up to 64 KiB: a larger
one is there for the replays' memory bounds (a 257 KB font whose names add
up to 1 GB) and would print gigabytes here.
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


def interesting_ranges(buf):
    ranges = [(0, min(len(buf), 12 + 16 * 64))]
    try:
        n = struct.unpack_from(">H", buf, 4)[0]
        for i in range(n):
            tag, _, off, length = struct.unpack_from(">4sIII", buf, 12 + 16 * i)
            if tag in (b"name", b"cmap", b"OS/2"):
                ranges.append((off, min(len(buf), off + min(length, 4096))))
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


def compare(cli, paths):
    """The first path on which the CLI and the reference disagree, or None."""
    # Exit status 1 says that some file was not read as a font: each is still reported.
    run = subprocess.run([cli, "info", "--json"] + paths, capture_output=True)
    if run.returncode not in (0, 1):
        raise subprocess.CalledProcessError(run.returncode, run.args, run.stdout, run.stderr)
    out = run.stdout
    lines = out.decode("utf-8").split("\n")[:-1]
    assert len(lines) == len(paths)
    for p, line in zip(paths, lines):
        ours = json.loads(line)
        theirs = reference_reader.report(p)
        if ours != theirs:
            print("disagreement on", p)
            for k in theirs:
                if ours.get(k) != theirs.get(k):
                    print(" ", k, "ours:", str(ours.get(k))[:200], "reference:", str(theirs.get(k))[:200])
            return p
    return None


def main():
    cli, count, args = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    rng = random.Random(int(os.environ.get("SEED", "1")))
    seeds = [s for s in args if os.path.isfile(s)]
    as_they_are = list(seeds)
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
    work = tempfile.mkdtemp(prefix="qm-diff-")
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
