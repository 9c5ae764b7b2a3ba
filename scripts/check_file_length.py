#!/usr/bin/env python3
"""Fails on a source file of the program longer than 600 lines whose top
does not say why it is one piece: a file that long usually holds more than
one job. The reason is a comment among its first 30 lines that begins with
"One piece:".

    check_file_length.py SOURCE_DIR     checks the tree
    check_file_length.py --self-test    checks that a planted long file is found
"""

import os
import sys
import tempfile

LIMIT = 600
REASON = "One piece:"
# Tests, fuzz targets and benchmarks are not the program.
SKIPPED = {"tests", "fuzz", "bench", "build", "third_party"}
EXTENSIONS = (".cpp", ".h", ".py", ".cmake")


def long_files(root):
    found = []
    for folder, subfolders, files in os.walk(root):
        relative = os.path.relpath(folder, root)
        top = relative.split(os.sep)[0]
        if relative != "." and (top in SKIPPED or top.startswith(("build", "."))):
            subfolders[:] = []
            continue
        for name in files:
            if not name.endswith(EXTENSIONS) or name == "CMakeLists.txt":
                continue
            path = os.path.join(folder, name)
            with open(path, encoding="utf-8", errors="replace") as source:
                lines = source.readlines()
            if len(lines) <= LIMIT:
                continue
            if any(REASON in line for line in lines[:30]):
                continue
            found.append((os.path.relpath(path, root), len(lines)))
    return sorted(found)


def self_test():
    with tempfile.TemporaryDirectory() as root:
        os.makedirs(os.path.join(root, "ui"))
        os.makedirs(os.path.join(root, "tests"))
        with open(os.path.join(root, "ui", "Long.cpp"), "w") as f:
            f.write("int x;\n" * (LIMIT + 1))
        with open(os.path.join(root, "ui", "Reasoned.cpp"), "w") as f:
            f.write("// One piece: a table that reads as one.\n" + "int y;\n" * (LIMIT + 1))
        with open(os.path.join(root, "ui", "Short.cpp"), "w") as f:
            f.write("int z;\n" * LIMIT)
        with open(os.path.join(root, "tests", "LongTest.cpp"), "w") as f:
            f.write("int t;\n" * (LIMIT + 1))
        found = long_files(root)
        if found != [(os.path.join("ui", "Long.cpp"), LIMIT + 1)]:
            print("self-test failed: found", found)
            return 1
    print("self-test passed")
    return 0


def main():
    if len(sys.argv) == 2 and sys.argv[1] == "--self-test":
        return self_test()
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    found = long_files(sys.argv[1])
    for path, count in found:
        print(f"{path}: {count} lines, over {LIMIT} without a reason at its top "
              f"(split it along its jobs, or say \"{REASON} ...\" why it is one)")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
