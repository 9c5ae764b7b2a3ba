#!/usr/bin/python3
"""Makes the small fonts of tests/data from Debian's DejaVu and Liberation
fonts (python3-fonttools). Run by hand when they need to change; the tests
use the committed files.

  twin-a.ttf, twin-b.ttf  two different designs with one full name,
                          "Quillmark Twin" (from DejaVu Sans and Liberation Serif)
  twin-bold.ttf           DejaVu Sans Bold, named "Quillmark Twin Bold"
  symbol.ttf              DejaVu Sans glyphs reached only through a Windows
                          Symbol map at U+F020..U+F07E
  arrows.ttf              DejaVu Sans cut down to the arrows U+2190..U+21FF:
                          a font of no script
"""
import os
import sys

from fontTools import subset
from fontTools.ttLib import TTFont
from fontTools.ttLib.tables._c_m_a_p import cmap_format_4

OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "data")
ASCII = list(range(0x20, 0x7F))


def subset_font(path, unicodes=ASCII):
    options = subset.Options()
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.notdef_outline = True
    font = TTFont(path)
    sub = subset.Subsetter(options)
    sub.populate(unicodes=unicodes)
    sub.subset(font)
    return font


def rename(font, family, full):
    name = font["name"]
    # The copyright, trademark, maker and licence records stay as they were.
    name.names = [record for record in name.names
                  if record.nameID in (0, 7, 8, 9, 11, 12, 13, 14) and record.platformID == 3]
    for platform, encoding, language in ((3, 1, 0x409), (1, 0, 0)):
        name.setName(family, 1, platform, encoding, language)
        name.setName("Regular", 2, platform, encoding, language)
        name.setName(full, 3, platform, encoding, language)
        name.setName(full, 4, platform, encoding, language)
        name.setName("Version 1.0", 5, platform, encoding, language)
        name.setName(full.replace(" ", ""), 6, platform, encoding, language)
    name.setName("Test font made for Quillmark's tests; see tests/data/README.md", 10, 3, 1, 0x409)


def main():
    os.makedirs(OUT, exist_ok=True)
    a = subset_font("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")
    rename(a, "Quillmark Twin", "Quillmark Twin")
    a.save(os.path.join(OUT, "twin-a.ttf"))

    b = subset_font("/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf")
    rename(b, "Quillmark Twin", "Quillmark Twin")
    b.save(os.path.join(OUT, "twin-b.ttf"))

    bold = subset_font("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf")
    rename(bold, "Quillmark Twin", "Quillmark Twin Bold")
    bold.save(os.path.join(OUT, "twin-bold.ttf"))

    sym = subset_font("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")
    rename(sym, "Quillmark Symbol", "Quillmark Symbol")
    best = sym.getBestCmap()
    table = cmap_format_4(4)
    table.platformID, table.platEncID, table.language = 3, 0, 0
    table.cmap = {0xF000 + c: g for c, g in best.items() if 0x20 <= c <= 0xFF}
    sym["cmap"].tables = [table]
    sym["OS/2"].ulCodePageRange1 = 1 << 31  # symbol character set
    sym.save(os.path.join(OUT, "symbol.ttf"))

    arrows = subset_font("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", list(range(0x2190, 0x2200)))
    rename(arrows, "Quillmark Arrows", "Quillmark Arrows")
    arrows.save(os.path.join(OUT, "arrows.ttf"))


if __name__ == "__main__":
    main()
