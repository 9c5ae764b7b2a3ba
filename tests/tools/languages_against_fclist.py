#!/usr/bin/env python3
"""quillmark-cli find-lang against fontconfig's own answer, fc-list :lang=.

    languages_against_fclist.py QUILLMARK_CLI FOLDER LANG...

For each language, the faces find-lang finds in FOLDER must be those that
fc-list lists for it there, among the faces fontconfig knows at all (it
may leave files out by its configuration; a variable font's named
instances are one face).

Exits 77 (skipped) without fc-list or when fontconfig knows no font there.
"""

import json
import shutil
import subprocess
import sys

SUFFIXES = (".ttf", ".otf", ".ttc", ".otc", ".woff", ".woff2")


def fc_faces(folder, pattern):
    run = subprocess.run(["fc-list", pattern, "--format", "%{file}\t%{index}\n"],
                         capture_output=True, text=True, check=True)
    faces = set()
    for line in run.stdout.splitlines():
        path, _, index = line.partition("\t")
        if path.startswith(folder.rstrip("/") + "/") and path.lower().endswith(SUFFIXES):
            faces.add((path, int(index) & 0xFFFF))  # instances share their face
    return faces


def main(argv):
    cli, folder, languages = argv[1], argv[2], argv[3:]
    if shutil.which("fc-list") is None:
        print("no fc-list")
        return 77
    known = fc_faces(folder, ":")
    if not known:
        print("fontconfig knows no font in", folder)
        return 77
    failures = 0
    for language in languages:
        run = subprocess.run([cli, "find-lang", "--json", language, folder],
                             capture_output=True, text=True)
        if run.returncode != 0:
            print(language, "find-lang failed:", run.stderr.strip())
            failures += 1
            continue
        ours = {(d["path"], d["faceIndex"]) for d in map(json.loads, run.stdout.splitlines())}
        ours &= known
        theirs = fc_faces(folder, ":lang=" + language)
        if ours != theirs:
            print(language, "only find-lang:", sorted(ours - theirs)[:5],
                  "only fc-list:", sorted(theirs - ours)[:5])
            failures += 1
        else:
            print(language, len(ours), "faces, as fc-list")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
