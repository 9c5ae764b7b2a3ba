#!/usr/bin/env python3
"""quillmark-cli info --json against fontTools, face by face.

    faces_against_fonttools.py QUILLMARK_CLI FONT...

For every face of every file (a collection has several; a web font is
decoded by fontTools), the CLI's object must give the face's index and the
file's count of faces, and the face's Windows names, PANOSE bytes and
characters past U+FFFF as fontTools reads them from the same face.

A web font reads as the font it was made from: `info --json` of each .woff
and .woff2 given is that of the .ttf of the same name in Debian's TrueType
folder of the family (/usr/share/fonts/woff/dejavu/X.woff and
/usr/share/fonts/truetype/dejavu/X.ttf), and of each .ttf given, made into
a WOFF and a WOFF2 here by fontTools (those under 2 MiB), but for the path
and format fields.

Exits 77 (skipped) when neither fontTools nor any of the files is there.
"""

import json
import os
import subprocess
import sys
import tempfile

try:
    from fontTools.ttLib import TTFont, TTCollection
except ImportError:
    sys.path.append("/usr/lib/python3/dist-packages")
    try:
        from fontTools.ttLib import TTFont, TTCollection
    except ImportError:
        print("no fontTools")
        sys.exit(77)


def faces(path):
    with open(path, "rb") as f:
        tag = f.read(4)
    if tag == b"ttcf":
        return TTCollection(path, lazy=True).fonts
    return [TTFont(path, lazy=True)]


def windows_names(font):
    names = []
    for record in font["name"].names:
        if record.platformID != 3:
            continue
        raw = record.string if isinstance(record.string, bytes) else record.toBytes()
        raw = raw[: len(raw) // 2 * 2]
        names.append(dict(platformID=3, encodingID=record.platEncID, languageID=record.langID,
                          nameID=record.nameID,
                          text=raw.decode("utf-16-be", "surrogatepass")))
    return names


def supplementary(font):
    """The characters past U+FFFF of the (3,10) format 12 map, else of the
    first Unicode-platform map of format 12 or 13, as ranges."""
    chosen = None
    tables = font["cmap"].tables
    for table in tables:
        if table.platformID == 3 and table.platEncID == 10 and table.format == 12:
            chosen = table
            break
    if chosen is None:
        chosen = next((t for t in tables if t.platformID == 0 and t.format in (12, 13)), None)
    if chosen is None:
        return []
    ranges = []
    for code in sorted(c for c in chosen.cmap if 0x10000 <= c <= 0x10FFFF):
        if ranges and code == ranges[-1][1] + 1:
            ranges[-1][1] = code
        else:
            ranges.append([code, code])
    return ranges


def info(cli, path):
    """Each face's object without the fields that name the file."""
    run = subprocess.run([cli, "info", "--json", path], capture_output=True, text=True)
    objects = [json.loads(line) for line in run.stdout.splitlines()]
    for face in objects:
        face.pop("path", None)
        face.pop("format", None)
    return objects


def web_fonts_read_as_their_fonts(cli, paths):
    """(pairs compared, errors) for the web fonts given and made here."""
    pairs = []
    for path in paths:
        base, extension = os.path.splitext(path)
        if extension.lower() in (".woff", ".woff2") and "/fonts/woff/" in path:
            twin = base.replace("/fonts/woff/", "/fonts/truetype/") + ".ttf"
            if os.path.exists(twin):
                pairs.append((path, twin))
    work = tempfile.mkdtemp(prefix="quillmark-web-")
    for path in paths:
        # Small fonts only: fontTools takes its time over large ones.
        if not path.lower().endswith(".ttf") or os.path.getsize(path) > 2 * 1024 * 1024:
            continue
        for flavor in ("woff", "woff2"):
            made = os.path.join(work, os.path.basename(path)[:-4] + "." + flavor)
            font = TTFont(path)
            font.flavor = flavor
            try:
                font.save(made)
            except ImportError:  # no brotli for WOFF2
                continue
            pairs.append((made, path))
    errors = []
    for web, font in pairs:
        if info(cli, web) != info(cli, font):
            errors.append("%s does not read as %s" % (web, font))
    return len(pairs), errors


def main(argv):
    cli, paths = argv[1], [p for p in argv[2:] if os.path.exists(p)]
    if not paths:
        print("no font to read")
        return 77
    errors = []
    checked = 0
    for path in paths:
        run = subprocess.run([cli, "info", "--json", path], capture_output=True, text=True)
        ours = [json.loads(line) for line in run.stdout.splitlines()]
        theirs = faces(path)
        if len(ours) != len(theirs):
            errors.append("%s: %d faces, fontTools %d" % (path, len(ours), len(theirs)))
            continue
        for index, (face, font) in enumerate(zip(ours, theirs)):
            where = "%s face %d" % (path, index)
            if face["status"] != 1 or face["faceIndex"] != index or face["faceCount"] != len(theirs):
                errors.append("%s: status %s, index %s of %s" % (
                    where, face["status"], face["faceIndex"], face["faceCount"]))
                continue
            if face["names"] != windows_names(font):
                errors.append("%s: names differ" % where)
            panose = font["OS/2"].panose
            expected = [panose.bFamilyType, panose.bSerifStyle, panose.bWeight, panose.bProportion,
                        panose.bContrast, panose.bStrokeVariation, panose.bArmStyle,
                        panose.bLetterForm, panose.bMidline, panose.bXHeight]
            if face["panose"] != expected:
                errors.append("%s: PANOSE %s, fontTools %s" % (where, face["panose"], expected))
            if face["supplementary"] != supplementary(font):
                errors.append("%s: characters past U+FFFF differ" % where)
            checked += 1
    pairs, web_errors = web_fonts_read_as_their_fonts(cli, paths)
    errors += web_errors
    for error in errors[:20]:
        print(error)
    print("faces checked: %d, web fonts against their fonts: %d, errors: %d" % (
        checked, pairs, len(errors)))
    return 1 if errors or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
