#!/usr/bin/env python3
"""quillmark-cli info --json's design of each face against fontTools and fc-query.

    design_against_fonttools.py QUILLMARK_CLI FONT...

For every face of every file, the CLI's `axes` (tag, name, min, default,
max, hidden), `instances` (subfamily name and coordinates), `features` and
`scripts` must be what fontTools reads from the face's fvar, GSUB and GPOS
tables, and its `languages` those fc-query reports for the face (all but
at most two languages apart, since fontconfig reads the characters through
FreeType and we through our own reader of the same maps).

Exits 77 (skipped) when fontTools or none of the files is there.
"""

import json
import os
import shutil
import subprocess
import sys

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


def english_name(font, name_id):
    """The name as HarfBuzz picks it: English when there is one."""
    table = font["name"]
    for record in table.names:
        if record.nameID == name_id and record.platformID == 3 and record.langID == 0x409:
            return record.toUnicode()
    name = table.getDebugName(name_id)
    return name


def expected(font):
    axes, instances = [], []
    if "fvar" in font:
        for axis in font["fvar"].axes:
            axes.append(dict(tag=axis.axisTag, name=english_name(font, axis.axisNameID) or axis.axisTag,
                             min=axis.minValue, default=axis.defaultValue, max=axis.maxValue,
                             hidden=bool(axis.flags & 1)))
        for instance in font["fvar"].instances:
            instances.append(dict(name=english_name(font, instance.subfamilyNameID),
                                  coordinates={a.axisTag: instance.coordinates[a.axisTag]
                                               for a in font["fvar"].axes}))
    features, scripts = set(), set()
    for table in ("GSUB", "GPOS"):
        if table not in font:
            continue
        t = font[table].table
        if t.FeatureList:
            features |= {r.FeatureTag for r in t.FeatureList.FeatureRecord}
        if t.ScriptList:
            scripts |= {r.ScriptTag for r in t.ScriptList.ScriptRecord}
    return dict(axes=axes, instances=instances, features=sorted(features),
                scripts=sorted(scripts))


def close(a, b):
    return abs(a - b) < 1e-3 * max(1.0, abs(b))


def same_axes(ours, theirs):
    if len(ours) != len(theirs):
        return False
    for o, t in zip(ours, theirs):
        if o["tag"] != t["tag"] or o["name"] != t["name"] or o["hidden"] != t["hidden"]:
            return False
        if not all(close(o[k], t[k]) for k in ("min", "default", "max")):
            return False
    return True


def same_instances(ours, theirs):
    if len(ours) != len(theirs):
        return False
    for o, t in zip(ours, theirs):
        if o["name"] != t["name"] or set(o["coordinates"]) != set(t["coordinates"]):
            return False
        if not all(close(o["coordinates"][k], v) for k, v in t["coordinates"].items()):
            return False
    return True


def fc_languages(path, face):
    run = subprocess.run(["fc-query", "-i", str(face), "--format", "%{lang}", path],
                         capture_output=True, text=True)
    if run.returncode != 0:
        return None
    return set(l for l in run.stdout.split("|") if l)


def main(argv):
    cli, paths = argv[1], [p for p in argv[2:] if os.path.exists(p)]
    if not paths:
        print("none of the fonts is here")
        return 77
    have_fc = shutil.which("fc-query") is not None
    failures = 0
    checked = 0
    for path in paths:
        run = subprocess.run([cli, "info", "--json", path], capture_output=True, text=True)
        lines = [json.loads(line) for line in run.stdout.splitlines()]
        fonts = faces(path)
        if len(lines) != len(fonts):
            print(f"{path}: {len(lines)} objects, fontTools reads {len(fonts)} faces")
            failures += 1
            continue
        for index, (ours, font) in enumerate(zip(lines, fonts)):
            theirs = expected(font)
            where = f"{path} face {index}"
            checked += 1
            if not same_axes(ours["axes"], theirs["axes"]):
                print(where, "axes", ours["axes"], "fontTools", theirs["axes"])
                failures += 1
            if not same_instances(ours["instances"], theirs["instances"]):
                print(where, "instances", ours["instances"][:3], "fontTools", theirs["instances"][:3])
                failures += 1
            for key in ("features", "scripts"):
                if ours[key] != theirs[key]:
                    print(where, key, ours[key], "fontTools", theirs[key])
                    failures += 1
            if have_fc and not path.endswith((".woff", ".woff2")):
                fc = fc_languages(path, index)
                if fc is not None and len(set(ours["languages"]) ^ fc) > 2:
                    print(where, "languages apart from fc-query:",
                          sorted(set(ours["languages"]) ^ fc))
                    failures += 1
    print(f"faces checked: {checked}, disagreements: {failures}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
