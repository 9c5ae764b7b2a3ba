#!/usr/bin/env python3
"""quillmark-cli chars --json against Python's own Unicode database.

    chars_against_python.py QUILLMARK_CLI FONT...

Every character of each font's map must carry the name Python's unicodedata
gives it (for the characters Python's database version knows), a
surrogate or private-use code point none, and a control character a name
of its own. Exits 77 (skipped) when no font is there.
"""

import json
import os
import subprocess
import sys
import unicodedata


def main(argv):
    cli, fonts = argv[1], [f for f in argv[2:] if os.path.exists(f)]
    if not fonts:
        print("no font to read")
        return 77
    out = subprocess.run([cli, "chars", "--json", *fonts], check=True, capture_output=True,
                         text=True).stdout
    checked = {"named": 0, "algorithmic": 0, "control": 0, "none": 0}
    errors = []
    for line in out.splitlines():
        row = json.loads(line)
        code, name = row["code"], row["name"]
        char = chr(code)
        expected = unicodedata.name(char, None)
        category = unicodedata.category(char)
        if category in ("Cs", "Co"):
            if name is not None:
                errors.append("U+%04X has a name: %s" % (code, name))
            checked["none"] += 1
        elif category == "Cc":
            # The aliases give most controls a name; none is empty.
            if name == "":
                errors.append("U+%04X has an empty name" % code)
            checked["control"] += 1
        elif expected is not None:
            if name != expected:
                errors.append("U+%04X: %r, Python says %r" % (code, name, expected))
            kind = ("algorithmic" if expected.startswith(("CJK UNIFIED", "HANGUL SYLLABLE"))
                    else "named")
            checked[kind] += 1
    for error in errors[:20]:
        print(error)
    print("checked:", checked, "errors:", len(errors))
    return 1 if errors or checked["named"] == 0 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
