#!/usr/bin/env python3
"""Times `quillmark-cli scan` per font over a folder of collections and
over a folder of single-face .ttf files, run after run in turn, and prints
the medians per run and per face (a face is a row of the scan).

usage: bench/faces_timing.py [--runs N] [--copies C] [--collections FILE...] [--ttf FOLDER...]
Defaults: Debian's CJK collections (fonts-noto-cjk, fonts-wqy-zenhei) and
the .ttf files of /usr/share/fonts/truetype. Each set is linked into a
folder of its own under /tmp, so that the scan reads just those files; the
collections' faces are also written out as font files of their own
("extracted"), the same faces read one a file.
"""
import argparse
import glob
import os
import shutil
import statistics
import struct
import subprocess
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def linked(files, name):
    folder = os.path.join(tempfile.gettempdir(), "quillmark-faces-" + name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for i, path in enumerate(files):
        os.symlink(path, os.path.join(folder, "%05d-%s" % (i, os.path.basename(path))))
    return folder


def extracted(collections, name, copies):
    """Each face of the collections as a font file of its own: its offset
    table and its tables, as a collection's faces are drawn."""
    folder = os.path.join(tempfile.gettempdir(), "quillmark-faces-" + name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for n, path in enumerate(collections):
        with open(path, "rb") as f:
            data = f.read()
        count = struct.unpack_from(">I", data, 8)[0]
        for face in range(count):
            start = struct.unpack_from(">I", data, 12 + 4 * face)[0]
            version, tables = struct.unpack_from(">IH", data, start)
            records = [struct.unpack_from(">4sIII", data, start + 12 + 16 * i) for i in range(tables)]
            out = bytearray(struct.pack(">IHHHH", version, tables, 0, 0, 0))
            at = 12 + 16 * tables
            body = bytearray()
            for tag, checksum, offset, length in records:
                out += struct.pack(">4sIII", tag, checksum, at + len(body), length)
                body += data[offset:offset + length]
                body += b"\0" * (-len(body) % 4)
            first = os.path.join(folder, "%03d-%d-0.otf" % (n, face))
            with open(first, "wb") as f:
                f.write(out + body)
            for copy in range(1, copies):  # as many as the collections' links
                os.symlink(first, os.path.join(folder, "%03d-%d-%d.otf" % (n, face, copy)))
    return folder


def scan(cli, folder):
    start = time.perf_counter()
    out = subprocess.run([cli, "scan", "--json", folder], check=True, capture_output=True).stdout
    return time.perf_counter() - start, out.count(b"\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--collections", nargs="*",
                        default=sorted(glob.glob("/usr/share/fonts/opentype/noto/*.ttc") +
                                       glob.glob("/usr/share/fonts/truetype/wqy/*.ttc")))
    parser.add_argument("--ttf", nargs="*", default=["/usr/share/fonts/truetype"])
    parser.add_argument("--copies", type=int, default=20,
                        help="each collection linked this many times, for a folder of many faces")
    parser.add_argument("--cli", default=os.path.join(ROOT, "build", "cli", "quillmark-cli"))
    args = parser.parse_args()
    args.collections = args.collections * args.copies
    ttf = sorted(path for folder in args.ttf
                 for path in glob.glob(os.path.join(folder, "**", "*.ttf"), recursive=True))
    sets = {"collections": linked(args.collections, "collections"),
            "extracted": extracted(args.collections[:len(args.collections) // args.copies],
                                   "extracted", args.copies),
            "ttf": linked(ttf, "ttf"), "empty": linked([], "empty")}
    times = {name: [] for name in sets}
    faces = {}
    for name, folder in sets.items():
        scan(args.cli, folder)  # in memory before the first timed run
    for _ in range(args.runs):
        for name, folder in sets.items():
            seconds, faces[name] = scan(args.cli, folder)
            times[name].append(seconds)
    files = {"collections": len(args.collections), "ttf": len(ttf), "empty": 0,
             "extracted": len(os.listdir(sets["extracted"]))}
    # The run of an empty folder is the program's start and end, taken off
    # the others' before they are shared among the faces.
    start = statistics.median(times["empty"])
    print("start and end of the program: %.1f ms" % (start * 1000))
    for name in ("collections", "extracted", "ttf"):
        median = statistics.median(times[name])
        print("%-12s %5d files %5d faces  median %7.1f ms  %7.1f us a face" % (
            name, files[name], faces[name], median * 1000,
            (median - start) * 1e6 / max(faces[name], 1)))


if __name__ == "__main__":
    main()
