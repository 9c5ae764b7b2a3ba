#!/usr/bin/env python3
"""Fails when a source file includes a header of a layer above its own.

The layers, from the bottom up (docs: the layout in ARCHITECTURE.md):

    platform, fontdata, core, render, collections | document, search,
    ui/common, ui/* | palette | update, app, cli

A file may include headers of its own folder and of any layer below it.
Folders on the same level that are not the same folder (collections and
document, ui/browse and ui/search) may not include each other. Also checked:
no Qt header reaches fontdata/, the reader (fontdata/opentype) includes only
the standard library, itself and the web fonts' decoders (zlib, woff2), no widget header reaches a layer below the
windows, headers under an `internal/` folder are included only from their
own subsystem, and Tintora includes nothing of ours.

Every include of our own is by its path from the source root, so a bare
file name that is not found there is an error too.

Usage: check_layers.py SOURCE_ROOT [QT_WIDGETS_INCLUDE_DIR]
"""

import os
import re
import sys

# Folder prefix -> rank. The longest matching prefix wins.
LAYERS = {
    "platform": 0,
    "fontdata": 1,
    "core": 2,
    "render": 3,
    "collections": 4,
    "document": 4,
    "search": 5,
    "ui/common": 6,
    "ui": 7,
    "palette": 7,
    "update": 7,
    "app": 8,
    "cli": 9,
}
# Checked as their own world: Tintora is built alone and uses Qt only.
ISOLATED = {"tintora"}
# Not layers: they may use anything.
FREE = {"tests", "bench", "fuzz", "scripts", "data", "docs", "cmake", "build"}
# The system headers the reader may use beside the standard library: POSIX,
# and the decoders of web fonts.
POSIX = {"fcntl.h", "unistd.h", "sys/stat.h", "sys/types.h",
         "zlib.h", "woff2/decode.h", "woff2/output.h"}
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".inc")
WIDGET_RANK = LAYERS["ui/common"]

# The file system is reached through platform/ alone: a rename there never
# replaces what it finds, and a path's bytes cross into Qt text in one place.
FILE_CALLS = [
    (re.compile(r'(?<![\w.>])(?:::|std::filesystem::|fs::)?rename(?:at2?)?\s*\('),
     "renames outside platform/ (use its rename that never replaces)"),
    (re.compile(r'\.rename\s*\(|Q(?:File|Dir)::rename\s*\('),
     "renames through Qt outside platform/"),
    (re.compile(r'\bQFile::(?:en|de)codeName\b'),
     "crosses between paths and text outside platform/ (use core/PathText.h)"),
]
COMMENT = re.compile(r'//[^\n]*|/\*.*?\*/', re.S)
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def layer_of(path):
    """The layer folder of a path from the source root, or None."""
    parts = path.split("/")
    if len(parts) >= 2 and parts[0] == "ui":
        sub = "ui/" + parts[1]
        return sub if sub in LAYERS else "ui/" + parts[1]
    return parts[0]


def rank_of(layer):
    if layer in LAYERS:
        return LAYERS[layer]
    if layer.startswith("ui/"):
        return LAYERS["ui"]
    return None


def widget_headers(qt_widgets_dir):
    if not qt_widgets_dir or not os.path.isdir(qt_widgets_dir):
        return set()
    names = set()
    for name in os.listdir(qt_widgets_dir):
        if name.startswith("Q") and "." not in name:
            names.add(name)
    names.add("QtWidgets")
    return names


def check_file(root, rel, widgets):
    errors = []
    layer = layer_of(rel)
    if layer in FREE or layer.startswith("build"):
        return errors
    rank = rank_of(layer)
    with open(os.path.join(root, rel), encoding="utf-8", errors="replace") as f:
        text = f.read()
    if layer != "platform" and not rel.startswith("platform/"):
        code = COMMENT.sub(lambda m: "\n" * m.group(0).count("\n"), text)
        for pattern, what in FILE_CALLS:
            for match in pattern.finditer(code):
                line = code.count("\n", 0, match.start()) + 1
                errors.append(f"{rel}:{line}: {what}")
    for match in INCLUDE.finditer(text):
        quote, name = match.group(1), match.group(2)
        line = text.count("\n", 0, match.start()) + 1
        where = f"{rel}:{line}"
        if quote == '"':
            if not os.path.isfile(os.path.join(root, name)):
                errors.append(f"{where}: \"{name}\" is not a path from the source root")
                continue
            target = layer_of(name)
            if layer in ISOLATED or target in ISOLATED:
                if target != layer:
                    errors.append(f"{where}: {layer} and {target} are built apart")
                continue
            target_rank = rank_of(target)
            if rank is None or target_rank is None:
                errors.append(f"{where}: {name} is not in a known layer")
                continue
            if target_rank > rank:
                errors.append(f"{where}: {layer} includes {name} of the layer above, {target}")
            elif target_rank == rank and target != layer:
                errors.append(f"{where}: {layer} includes {name} of {target}, a layer beside it")
            if "/internal/" in name:
                owner = name.split("/internal/")[0]
                if not rel.startswith(owner + "/"):
                    errors.append(f"{where}: {name} is internal to {owner}")
            if rel.startswith("fontdata/opentype/") and not name.startswith("fontdata/opentype/"):
                errors.append(f"{where}: the reader includes {name}")
        else:
            header = name.split("/")[-1]
            is_qt = header.startswith("Q") or name.startswith("Qt")
            if rel.startswith("fontdata/") and is_qt:
                errors.append(f"{where}: fontdata includes the Qt header <{name}>")
            if rel.startswith("fontdata/opentype/") and "." in name and name not in POSIX:
                errors.append(f"{where}: the reader includes <{name}>")
            if rank is not None and rank < WIDGET_RANK and header in widgets:
                errors.append(f"{where}: {layer} is below the windows but includes <{name}>")
    return errors


def self_test():
    """Plants each kind of fault in a small tree and requires it be found."""
    import tempfile

    def tree(files):
        root = tempfile.mkdtemp(prefix="layers-")
        for rel, text in files.items():
            os.makedirs(os.path.join(root, os.path.dirname(rel)), exist_ok=True)
            with open(os.path.join(root, rel), "w", encoding="utf-8") as f:
                f.write(text)
        return root

    base = {
        "platform/Paths.h": "#include <string>\n",
        "fontdata/item/FontItem.h": '#include "platform/Paths.h"\n',
        "fontdata/opentype/internal/Base.h": "#include <cstdint>\n",
        "fontdata/opentype/Table.h": '#include "fontdata/opentype/internal/Base.h"\n',
        "core/Hub.h": '#include "fontdata/item/FontItem.h"\n#include <QString>\n'
                      "// rename(2) in a comment, and QFile::encodeName in one too\n",
        "platform/Files.cpp": "int r = ::renameat2(0, a, 0, b, 1);\nauto n = QFile::encodeName(t);\n",
        "ui/browse/List.h": '#include "core/Hub.h"\n#include <QWidget>\n',
        "ui/search/Find.h": "#include <QWidget>\n",
    }
    widgets = {"QWidget"}
    sound = tree(base)
    if run(sound, widgets):
        print("self-test: a sound tree was rejected")
        return 1
    planted = {
        "upward": {"fontdata/item/Bad.h": '#include "ui/browse/List.h"\n'},
        "beside": {"ui/search/Bad.h": '#include "ui/browse/List.h"\n'},
        "qt in fontdata": {"fontdata/item/Bad.h": "#include <QString>\n"},
        "widget below the windows": {"core/Bad.h": "#include <QWidget>\n"},
        "internal header": {"core/Bad.h": '#include "fontdata/opentype/internal/Base.h"\n'},
        "bare file name": {"core/Bad.h": '#include "Hub.h"\n'},
        "reader outside the reader": {"fontdata/opentype/Bad.h": '#include "platform/Paths.h"\n'},
        "rename outside platform": {"ui/browse/Bad.cpp": "void f() { ::rename(a, b); }\n"},
        "renameat2 outside platform": {"core/Bad.cpp": "int r = renameat2(0, a, 0, b, 1);\n"},
        "Qt rename outside platform": {"core/Bad.cpp": "bool r = QFile::rename(a, b);\n"},
        "encodeName outside platform": {"ui/browse/Bad.cpp": "auto b = QFile::encodeName(t);\n"},
    }
    for what, files in planted.items():
        if not run(tree({**base, **files}), widgets):
            print(f"self-test: a planted fault was not found: {what}")
            return 1
    print(f"self-test: a sound tree passes, {len(planted)} planted faults are found")
    return 0


def run(root, widgets):
    """Returns the errors of the tree at `root`; raises when it has no sources."""
    errors = []
    checked = 0
    for dirpath, dirnames, filenames in os.walk(root):
        rel_dir = os.path.relpath(dirpath, root)
        dirnames[:] = [d for d in dirnames if not d.startswith(".") and not
                       (rel_dir == "." and (d in FREE or d.startswith("build")))]
        for name in filenames:
            if name.endswith(SOURCE_SUFFIXES):
                rel = os.path.normpath(os.path.join(rel_dir, name)).replace(os.sep, "/")
                errors.extend(check_file(root, rel, widgets))
                checked += 1
    if checked == 0:
        raise SystemExit(f"no source files found under {root}")
    return errors


def main(argv):
    if len(argv) == 2 and argv[1] == "--self-test":
        return self_test()
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    root = os.path.abspath(argv[1])
    widgets = widget_headers(argv[2] if len(argv) > 2 else None)
    errors = run(root, widgets)
    for error in errors:
        print(error)
    print(f"{len(errors)} upward or stray includes or file calls outside platform/")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
