#!/usr/bin/env python3
"""quillmark-cli chars against Python's own Unicode database.

    chars_against_python.py QUILLMARK_CLI FONT...

Every character of each font's map must carry the name Python's unicodedata
gives it (for the characters Python's database version knows), a
surrogate or private-use code point none, and a control character a name
of its own; the text form says the same. The table is also found where
`cmake --install` puts it. Exits 77 (skipped) when no font is there.
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import unicodedata


def installed_layout(cli, font):
    """The table is found as installed (PREFIX/share/quillmark beside
    PREFIX/bin); without it the command says which file is missing."""
    errors = []
    with tempfile.TemporaryDirectory() as prefix:
        os.makedirs(os.path.join(prefix, "bin"))
        os.makedirs(os.path.join(prefix, "share", "quillmark"))
        copied = os.path.join(prefix, "bin", "quillmark-cli")
        shutil.copy(cli, copied)
        table = os.path.join(os.path.dirname(cli), "UnicodeData.bin")
        result = subprocess.run([copied, "chars", font], capture_output=True, text=True)
        missing = os.path.join(prefix, "bin", "UnicodeData.bin")
        if result.returncode != 1 or ("The file %s could not be found." % missing) not in result.stderr:
            errors.append("without a table: %d %r" % (result.returncode, result.stderr))
        shutil.copy(table, os.path.join(prefix, "share", "quillmark", "UnicodeData.bin"))
        result = subprocess.run([copied, "chars", font], capture_output=True, text=True)
        if result.returncode != 0 or not result.stdout.startswith("U+"):
            errors.append("installed: %d %r" % (result.returncode, result.stderr))
        # A truncated table is refused, naming it, never read past its end.
        with open(table, "rb") as f:
            data = f.read()
        cut = os.path.join(prefix, "share", "quillmark", "UnicodeData.bin")
        with open(cut, "wb") as f:
            f.write(data[: len(data) // 2])
        result = subprocess.run([copied, "chars", font], capture_output=True, text=True)
        if result.returncode != 1 or ("The file %s could not be found." % cut) not in result.stderr:
            errors.append("truncated table: %d %r" % (result.returncode, result.stderr))
    return errors


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
    # The text form: the same characters, "U+XXXX NAME" a line.
    text = subprocess.run([cli, "chars", fonts[0]], check=True, capture_output=True,
                          text=True).stdout.splitlines()
    first = [json.loads(line) for line in out.splitlines() if json.loads(line)["path"] == fonts[0]]
    if len(text) != len(first):
        errors.append("text form: %d lines, JSON form %d" % (len(text), len(first)))
    for line, row in zip(text, first):
        expected = "U+%04X" % row["code"] + ("" if row["name"] is None else " " + row["name"])
        if line != expected:
            errors.append("text form: %r, expected %r" % (line, expected))
            break
    errors += installed_layout(cli, fonts[0])
    for error in errors[:20]:
        print(error)
    print("checked:", checked, "errors:", len(errors))
    return 1 if errors or checked["named"] == 0 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
