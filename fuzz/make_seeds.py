#!/usr/bin/env python3
"""Writes the fuzz targets' seed inputs, each corpus in a folder of its own
(corpus/<corpus>/seed-*): for the reader small fonts that reach every table
parser, for the others small files of each kind the program reads. The
inputs the fuzzers found and that were mended are kept beside them.

    make_seeds.py [CORPUS_FOLDER]      default: corpus/ beside this script
"""
import io
import os
import struct
import sys
import zlib


def font(tables, version=0x00010000, pad=0):
    out = struct.pack(">IHHHH", version, len(tables), 0, 0, 0)
    off = 12 + 16 * len(tables)
    for tag, body in tables:
        out += tag + struct.pack(">III", 0, off, len(body))
        off += len(body)
    for _, body in tables:
        out += body
    return out + b"\0" * pad


def names(entries):
    head = struct.pack(">HHH", 0, len(entries), 6 + 12 * len(entries))
    storage = b""
    for platform, encoding, language, name_id, text in entries:
        raw = text.encode("utf-16-be") if platform == 3 else text.encode("latin-1")
        head += struct.pack(">6H", platform, encoding, language, name_id, len(raw), len(storage))
        storage += raw
    return head + storage


def format4(segments):
    n = len(segments)
    out = struct.pack(">7H", 4, 16 + 8 * n, 0, 2 * n, 0, 0, 0)
    out += b"".join(struct.pack(">H", e) for _, e in segments) + b"\0\0"
    out += b"".join(struct.pack(">H", s) for s, _ in segments)
    return out + b"\0\1" * n + b"\0\0" * n


def cmap(encodings):
    out = struct.pack(">HH", 0, len(encodings))
    off = 4 + 8 * len(encodings)
    subs = b""
    for platform, encoding, body in encodings:
        out += struct.pack(">HHI", platform, encoding, off + len(subs))
        subs += body
    return out + subs


def os2(version):
    body = struct.pack(">H", version) + b"\0" * 30 + bytes([2, 11, 6, 4, 2, 2, 2, 2, 2, 4]) + b"\0" * 36
    return body + (b"\0" * 8 if version >= 1 else b"") + (b"\0" * 10 if version >= 2 else b"")


def reader_seeds():
    latin = format4([(0x20, 0x7E), (0xA0, 0xFF), (0xFFFF, 0xFFFF)])
    seeds = {
        "empty-truetype": font([]),
        "empty-cff": font([], 0x4F54544F),
        "collection": b"ttcf" + b"\0" * 12,
        "names": font([(b"name", names([(1, 0, 0, 4, "Mac"), (3, 1, 0x409, 1, "Family"),
                                         (3, 1, 0x409, 4, "Family Regular"), (3, 1, 0x407, 4, "Familie")]))]),
        "cmap-unicode": font([(b"cmap", cmap([(3, 1, latin)]))]),
        "cmap-symbol": font([(b"cmap", cmap([(3, 0, format4([(0xF020, 0xF0FF), (0xFFFF, 0xFFFF)])),
                                              (3, 1, latin)]))]),
        "os2-v0": font([(b"OS/2", os2(0))], pad=40),
        "os2-v3": font([(b"OS/2", os2(3))], pad=40),
        "whole": font([(b"OS/2", os2(4)), (b"cmap", cmap([(0, 3, latin), (3, 1, latin)])),
                       (b"head", b"\0" * 54),
                       (b"name", names([(3, 1, 0x409, 4, "Whole \U0001F600")]))], pad=64),
    }
    # Empty ranges that begin past the end of the file: a Windows name of
    # length 0 at string offset 0x1000, and a format 4 subtable of no
    # segments cut after its 14-byte header.
    far_name = struct.pack(">HHH", 0, 1, 18) + struct.pack(">6H", 3, 1, 0x409, 4, 0, 0x1000)
    seeds["empty-name-past-end"] = font([(b"name", far_name)])
    seeds["format4-header-at-end"] = font([(b"cmap", cmap([(3, 1, format4([]))]))])[:-2]
    # 16,000 Windows names whose texts overlap: record i reads 65,534 bytes
    # at string offset 4 * i, the storage beginning at the first record (as
    # tests/support/FontBuilder's OverlappingNameTable). 1 GB of text in a
    # file of 257 KB.
    overlapping = struct.pack(">HHH", 0, 16000, 6)
    overlapping += b"".join(struct.pack(">6H", 3, 1, 0x409, 4, 65534, 4 * i) for i in range(16000))
    seeds["overlapping-names"] = font([(b"name", overlapping + b"\0" * 65534)])
    seeds.update(container_seeds(seeds["whole"], seeds["names"]))
    return seeds


def format12(groups):
    out = struct.pack(">HHIII", 12, 0, 16 + 12 * len(groups), 0, len(groups))
    return out + b"".join(struct.pack(">III", first, last, 1) for first, last in groups)


def collection(fonts, offsets=None):
    """A collection of the fonts, each whole on a 4-byte boundary with its
    directory's offsets moved; `offsets` replaces the header's."""
    head = 12 + 4 * len(fonts)
    starts, body = [], b""
    for f in fonts:
        at = head + len(body)
        pad = (4 - at % 4) % 4
        body += b"\0" * pad
        at += pad
        starts.append(at)
        n = struct.unpack_from(">H", f, 4)[0]
        moved = bytearray(f)
        for i in range(n):
            off = struct.unpack_from(">I", f, 12 + 16 * i + 8)[0]
            struct.pack_into(">I", moved, 12 + 16 * i + 8, off + at)
        body += bytes(moved)
    offsets = starts if offsets is None else offsets(starts)
    return (struct.pack(">4sHHI", b"ttcf", 1, 0, len(offsets))
            + b"".join(struct.pack(">I", o) for o in offsets) + body)


def woff(sfnt, grow=False):
    """WOFF 1.0 of a font; with `grow`, the first compressed table inflates
    to a byte more than its directory entry says."""
    n = struct.unpack_from(">H", sfnt, 4)[0]
    entries, data = [], []
    grown = False
    for i in range(n):
        tag, checksum, off, length = struct.unpack_from(">4sIII", sfnt, 12 + 16 * i)
        original = sfnt[off:off + length]
        packed = zlib.compress(original + (b"\0" if grow and not grown else b""), 9)
        if len(packed) < length:
            grown = grown or grow
            entries.append((tag, checksum, length, packed))
        else:
            entries.append((tag, checksum, length, original))
    at = 44 + 20 * n
    directory, body = b"", b""
    for tag, checksum, length, stored in entries:
        directory += struct.pack(">4sIIII", tag, at + len(body), len(stored), length, checksum)
        body += stored + b"\0" * ((4 - len(stored) % 4) % 4)
    total = at + len(body)
    head = struct.pack(">4sIIHHIHHIIIII", b"wOFF", struct.unpack_from(">I", sfnt)[0], total, n, 0,
                       len(sfnt), 1, 0, 0, 0, 0, 0, 0)
    return head + directory + body


def woff2(sfnt):
    """WOFF2 of a font through fontTools, when it is there (Debian's)."""
    try:
        from fontTools.ttLib import TTFont
    except ImportError:
        sys.path.append("/usr/lib/python3/dist-packages")
        try:
            from fontTools.ttLib import TTFont
        except ImportError:
            return None
    import io
    try:
        f = TTFont(io.BytesIO(sfnt))
        f.flavor = "woff2"
        out = io.BytesIO()
        f.save(out)
        return out.getvalue()
    except Exception:
        return None


def container_seeds(whole, named):
    """Collections, web fonts and a 32-bit character map, as they come and
    as crafted: no face, 65,535 faces, a face past the end, two faces at
    one offset, a WOFF whose table inflates past its length, a WOFF2 that
    declares a font of 4 GB."""
    supplementary = font([(b"cmap", cmap([(3, 1, format4([(0x20, 0x7E), (0xFFFF, 0xFFFF)])),
                                          (3, 10, format12([(0x1F610, 0x1F620), (0xFF00, 0x10002),
                                                            (0x1F600, 0x1F60F),
                                                            (0x10FFF0, 0x20FFFF)]))])),
                          (b"name", names([(3, 1, 0x409, 4, "Faces")]))])
    seeds = {
        "cmap-format12": supplementary,
        "collection-two-faces": collection([whole, supplementary]),
        "collection-face-past-end": collection([whole, named], lambda s: [s[0], 1 << 20]),
        "collection-one-offset-twice": collection([whole, named], lambda s: [s[0], s[0]]),
        "collection-version-2": collection([named])[:4] + b"\0\2" + collection([named])[6:],
        "woff": woff(whole),
        "woff-table-longer-than-declared": woff(whole, grow=True),
    }
    faces = collection([named])
    start = struct.unpack_from(">I", faces, 12)[0]
    shift = 4 * 65534
    moved = bytearray(faces[start:])
    for i in range(struct.unpack_from(">H", moved, 4)[0]):
        off = struct.unpack_from(">I", moved, 12 + 16 * i + 8)[0]
        struct.pack_into(">I", moved, 12 + 16 * i + 8, off + shift)
    seeds["collection-65535-faces"] = (struct.pack(">4sHHI", b"ttcf", 1, 0, 65535)
                                       + struct.pack(">I", start + shift) * 65535 + bytes(moved))
    web = woff2(whole)
    if web is not None:
        seeds["woff2"] = web
        seeds["woff2-declaring-4-gb"] = web[:16] + struct.pack(">I", 0xFFFFFFFF) + web[20:]
    return seeds


def stores_seeds():
    """The three stores' files, as the program writes them and as a hand or
    another program might."""
    decl = b'<?xml version="1.0"?>\n'
    return {
        "projects": decl + b'<fontprojects><project name="Serif"><font>/usr/share/fonts/a.ttf'
                           b'</font><font>/home/u/b.otf</font></project><project name="Empty"/>'
                           b'</fontprojects>',
        "projects-encoded": decl + b'<fontprojects><project name="Tab%0009%0025" encoded="1">'
                                   b'<font encoded="1">/a%0001b.ttf</font><font>/c&#13;d.ttf</font>'
                                   b'</project></fontprojects>',
        "projects-foreign": b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                            b'<!-- kept by hand -->\n<fontprojects>\n  <project name="A" x="1">\n'
                            b'    <font>/a.ttf<b>bold</b> tail</font>\n    <other><font>/no.ttf'
                            b'</font></other>\n  </project>\n  <project><font>/nameless.ttf</font>'
                            b'</project>\n  <project name="A"><font><![CDATA[/x<y>.ttf]]></font>'
                            b'</project>\n</fontprojects>\n',
        "projects-entity": b'<!DOCTYPE fontprojects [<!ENTITY e "/fonts">]>\n<fontprojects>'
                           b'<project name="&e;"><font>&e;/a.ttf&#x1F600;</font></project>'
                           b'</fontprojects>',
        "projects-utf16": "<?xml version=\"1.0\" encoding=\"UTF-16\"?><fontprojects>"
                          "<project name=\"\u00c9t\u00e9\"><font>/\u4e2d.ttf</font></project>"
                          "</fontprojects>".encode("utf-16"),
        "favorites": decl + b'<favorites><folder>/usr/share/fonts</folder><folder>/USR/share/fonts'
                            b'</folder><folder>/media/u/stick/fonts</folder><folder>'
                            b'/no-such-folder-here</folder><folder>relative/fonts</folder>'
                            b'</favorites>',
        "favorites-encoded": decl + b'<favorites><folder encoded="1">/tmp/%FFFE%D800</folder>'
                                    b'<folder encoded="0">/%0041</folder></favorites>',
        "locations": decl + b'<locations><location project="false" name="/usr/share/fonts"/>'
                            b'<location project="true" name="Serif"/><location project="false" '
                            b'name="::{Computer}"/><location name="/no-kind"/>'
                            b'<location project="true"/></locations>',
        "locations-prefixed": decl + b'<q:locations xmlns:q="urn:q"><location name="/"/>'
                                     b'</q:locations>',
        "not-well-formed": decl + b'<fontprojects><project name="a"><font>/a.ttf</project>',
        "no-root": decl + b'<fontproject><project name="a"/></fontproject>',
        "nested": decl + b'<favorites>' + b'<folder>' * 40 + b'/deep' + b'</folder>' * 40 +
                  b'</favorites>',
    }


def file_list_block(paths, offset=20, wide=1, tail=b"\0\0", gap=b""):
    block = struct.pack("<IiiII", offset, 0, 0, 0, wide) + gap
    for path in paths:
        block += path.encode("utf-16-le") + b"\0\0"
    return block + tail


def file_list_block_seeds():
    return {
        "none": file_list_block([]),
        "one": file_list_block(["/a.ttf"]),
        "several": file_list_block(["/usr/share/fonts/\u00e9.ttf", "/\U0001F600/b.otf", "c"]),
        "offset-past-header": file_list_block(["/a.ttf"], offset=24, gap=b"\1\2\3\4"),
        "narrow": file_list_block(["/a.ttf"], wide=0),
        "offset-outside": file_list_block(["/a.ttf"], offset=4096),
        "no-closing-zero": file_list_block(["/a.ttf"], tail=b""),
        "odd-end": file_list_block(["/a.ttf"], tail=b"\0"),
        "short": struct.pack("<III", 20, 0, 0),
    }


def release_description_seeds():
    notes = b"<quickinfo>https://update.example/notes/3.2.html</quickinfo>"
    sha = b"<sha256>" + b"0123456789abcdef" * 3 + b"0123456789ABCDEF</sha256>"
    return {
        "plain": b"<update><version>3.2.3.157</version>" + notes + b"</update>",
        "checksum": b'<?xml version="1.0"?>\n<update>\n <version> Quillmark 3.2.3.157 </version>\n ' +
                    notes + b"\n " + sha + b"\n</update>\n",
        "bad-checksum": b"<update><version>3.2</version><sha256>xyz</sha256></update>",
        "nested": b"<update><version>3.<b>2</b>.1</version><version>9</version><other>"
                  b"<version>8</version></other></update>",
        "other-root": b"<html><body>Not found</body></html>",
        "trailing": b"<update><version>3.2</version></update><update/>",
        "entities": b'<!DOCTYPE update [<!ENTITY v "3.2.3">]><update><version>&v;.&#49;'
                    b'</version>' + notes + b"</update>",
        "cut": b"<update><version>3.2.3.157</version><quickinfo>https://upd",
    }


def unicode_table(records, count=None):
    out = struct.pack("<H", len(records) if count is None else count)
    for code, units in records:
        out += struct.pack("<HH", code, len(units)) + b"".join(struct.pack("<H", u) for u in units)
    return out


def named(code, name):
    return code, [ord(c) for c in name] + [0]


def unicode_names_seeds():
    return {
        "three": unicode_table([named(0x20, "SPACE"), named(0x41, "LATIN CAPITAL LETTER A"),
                                named(0x4E2D, "CJK UNIFIED IDEOGRAPH-4E2D")]),
        "twice": unicode_table([named(0x41, "FIRST"), named(0x41, "SECOND")]),
        "inner-zero": unicode_table([(0x42, [0x42, 0, 0x43, 0]), named(0xFFFF, "LAST")]),
        "empty": unicode_table([]),
        "no-end-zero": unicode_table([(0x41, [0x41, 0x42])]),
        "zero-length": unicode_table([(0x41, [])]),
        "count-too-high": unicode_table([named(0x41, "A")], count=5),
        "odd": unicode_table([named(0x41, "A")]) + b"\0",
        # The other planes: a record and two ranges of ideographs.
        "planes": unicode_table([named(0x41, "A")]) + struct.pack("<I", 1)
        + struct.pack("<IH", 0x1F600, 14) + "GRINNING FACE\0".encode("utf-16-le")
        + struct.pack("<H", 2)
        + struct.pack("<IIH", 0x20000, 0x2A6DF, 23) + "CJK UNIFIED IDEOGRAPH-\0".encode("utf-16-le")
        + struct.pack("<IIH", 0x30000, 0x3134A, 23) + "CJK UNIFIED IDEOGRAPH-\0".encode("utf-16-le"),
    }


def help_page_seeds():
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "..", "data", "help", "index.html"), "rb") as f:
        index = f.read()
    links = [b"printing.html", b"#delete", b"font-list.html#commands", b"sub/page.html",
             b"../../../../etc/passwd", b"file:///dev/zero", b"file:index.html",
             b"file://server/share/x.html", b"https://update.example/", b"mailto:a@b.example",
             b"javascript:alert(1)", b"./", b"..", b"%2e%2e/x.html", b"", b"?q=1"]
    anchors = b"".join(b'<a href="' + link + b'">' + link + b"</a> " for link in links)
    return {
        "index": index,
        "links": b"<html><body><p>" + anchors + b"</p></body></html>",
        "table": b"<table><tr><td><a href='drag-and-drop.html#in'>in</a></td></tr></table>"
                 b"<ul><li><a name='x' href=whats-new.html>new</a></li></ul>",
        "plain": b"Only text, no markup & no links.",
    }


def ini_bytes(data):
    return "".join("\\x%02x" % b for b in data)


def settings_seeds():
    metrics = struct.pack("<7i", 10, 20, 800, 600, 220, 300, -1)
    pair = struct.pack("<2i", -1, 5)
    saved = "\n".join([
        "[3.0]",
        "MainWindowMaximized=1",
        "WindowMetrics=@ByteArray(%s)" % ini_bytes(metrics),
        "FontListCharSize=36",
        "FontListText=The quick \\x4e2d fox, \\\"quoted\\\"",
        "PreviewFontColor=4294967295",
        "StartupOption=7",
        "CharDetailWindowPos=@ByteArray(%s)" % ini_bytes(pair),
        "LocationsLimit=0",
        "PreviewText=@ByteArray(%s)" % ini_bytes("Bin\u00e9r".encode("utf-16-le")),
        "MainRebarLayout=@ByteArray(%s)" % ini_bytes(b"\0\1\2layout"),
        "",
    ]).encode()
    odd = "\n".join([
        "[3.0]",
        "FontNameColumnWidth=-5",
        "FileNameColumnWidth=0x7fffffff",
        "SizeColumnWidth=99999999999",
        "FontListSortDescending=true",
        "AutoInstall=@ByteArray(\\x1)",
        "DefaultFolder=@Variant(\\0\\0\\0\\n\\0\\0\\0\\0\\x2\\0/)",
        "LastFolder=a, b, c",
        "RestoredMetrics=short",
        "FindWindowSize=@Rect(1 2 3 4)",
        "PrintSampleTextLine1=\\0after nul",
        "UpdaterLocation=@Invalid()",
        "",
        "[other]",
        "FontMapSize=5",
        "",
    ]).encode()
    return {
        "saved": saved,
        "odd-values": odd,
        # Folders whose names are not UTF-8, stored as the program stores
        # them (UTF-16LE units) and as escaped text.
        "folders-not-utf8": "\n".join([
            "[3.0]",
            "LastFolder=@ByteArray(%s)" % ini_bytes(
                "/tmp/d\udce9j\0".encode("utf-16-le", "surrogatepass")),
            "DefaultFolder=/home/d\\xdce9j\\xdce0",
            "",
        ]).encode(),
        "no-group": b"FontListCharSize=12\n",
        "broken-lines": b"[3.0\nFontMapSize\n=1\n[3.0]\nPreviewFontSize=\"12\n\\\n",
    }


def character(code, name):
    return struct.pack("<H", code) + name.encode("utf-16-le")


def character_copy_seeds():
    return {
        "latin": character(0x41, "Serif Sample"),
        "accented": character(0xE9, "D\u00e9j\u00e0 Vu Sans"),
        "cjk": character(0x4E2D, "\u601d\u6e90\u9ed1\u4f53"),
        "rtf-marks": character(0x7B, "Brace {\\} Name; Bold?"),
        "controls": character(0xD800, "Tab\tLine\r\nEnd\0"),
        "no-name": character(0xFFFF, ""),
    }


def subset(path, text=None, unicodes=None, flavor=None):
    """A few glyphs of a Debian font with all its layout features, axes and
    names, made by fontTools' subsetter; None when either is missing."""
    try:
        from fontTools import subset as fontsubset
        from fontTools.ttLib import TTFont
    except ImportError:
        sys.path.append("/usr/lib/python3/dist-packages")
        try:
            from fontTools import subset as fontsubset
            from fontTools.ttLib import TTFont
        except ImportError:
            return None
    if not os.path.exists(path):
        return None
    options = fontsubset.Options(layout_features=["*"], name_IDs=["*"], flavor=flavor)
    font = TTFont(path, recalcTimestamp=False)
    subsetter = fontsubset.Subsetter(options)
    subsetter.populate(text=text or "", unicodes=unicodes or [])
    subsetter.subset(font)
    out = io.BytesIO()
    font.flavor = flavor
    font.save(out)
    return out.getvalue()


def design_seeds():
    """Small variable fonts, fonts with features and scripts, and the
    reader's containers."""
    inter = "/usr/share/fonts/truetype/inter-vf/Inter-roman.var.ttf"
    made = {
        "variable.ttf": subset(inter, text="Hafi1/2"),
        "variable.woff2": subset(inter, text="Ha", flavor="woff2"),
        "features.ttf": subset("/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf",
                               text="Office SmallCaps"),
        "arabic.ttf": subset("/usr/share/fonts/truetype/noto/NotoSansArabic-Regular.ttf",
                             unicodes=[0x627, 0x628, 0x629, 0x62A, 0x644]),
    }
    seeds = {name: data for name, data in made.items() if data is not None}
    reader = reader_seeds()
    for name in ("collection-two-faces", "woff", "woff2", "cmap-format12", "cmap-symbol"):
        if name in reader:
            seeds[name] = reader[name]
    return seeds


CORPORA = {
    "reader": reader_seeds,
    "design": design_seeds,
    "stores": stores_seeds,
    "file_list_block": file_list_block_seeds,
    "release_description": release_description_seeds,
    "unicode_names": unicode_names_seeds,
    "help_page": help_page_seeds,
    "settings": settings_seeds,
    "character_copy": character_copy_seeds,
}


def main(root):
    for corpus, make in CORPORA.items():
        folder = os.path.join(root, corpus)
        os.makedirs(folder, exist_ok=True)
        for name, data in make().items():
            with open(os.path.join(folder, "seed-" + name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus"))
