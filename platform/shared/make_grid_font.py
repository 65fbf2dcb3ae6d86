#!/usr/bin/python3
"""Writes Cellbrae Grid, the output box's font where "宋体" is missing: the ASCII and GBK
characters of Noto Sans Mono CJK SC, each advancing exactly one cell (a single byte in code
page 936) or two cells (a double-byte character), as the table's widths count them.

Usage: make_grid_font.py NOTO_CJK_COLLECTION OUTPUT.otf

Glyphs already on the grid are kept as they are; a narrower one is centred in its cells and a
wider one scaled down into them. The one GBK character Noto lacks (≒) is drawn here from
Noto's "＝" and two dots, and the user-defined areas code page 936 maps into the private use area get an
empty two-cell frame, so no character of the code page falls back to another font. Layout
tables go, so no kerning or proportional feature moves a glyph off the grid. Noto is under
the SIL Open Font Licence, which lets us derive a font under another name and the same licence.
"""
import sys

from fontTools import subset
from fontTools.misc.transform import Transform
from fontTools.pens.boundsPen import BoundsPen
from fontTools.pens.t2CharStringPen import T2CharStringPen
from fontTools.pens.transformPen import TransformPen
from fontTools.ttLib import TTCollection
from fontTools.ttLib.scaleUpem import scale_upem

SOURCE_NAME = "Noto Sans Mono CJK SC"
FAMILY = "Cellbrae Grid"
POSTSCRIPT_NAME = "CellbraeGrid-Regular"
CELL = 500  # Noto's ASCII advance; its em is 1000

# Single bytes of code page 936: printable ASCII and 0x80, the euro sign.
ONE_CELL = [chr(c) for c in range(0x20, 0x7F)] + ["\u20ac"]
# Private use code points code page 936 gives its user-defined double-byte areas (and the few
# characters Windows maps there); glibc's GBK lacks them, Windows has them.
PRIVATE_USE = [chr(c) for c in range(0xE000, 0xE865)]
COMPOSED = "\u2252"  # ≒: an equals sign, a dot above at the left and one below at the right


def gbk_double_byte():
    chars = []
    for lead in range(0x81, 0xFF):
        for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFF)):
            try:
                chars.append(bytes([lead, trail]).decode("gbk"))
            except UnicodeDecodeError:
                pass
    return chars


def open_source(path):
    for font in TTCollection(path).fonts:
        if font["name"].getDebugName(4) == SOURCE_NAME:
            return font
    sys.exit(f"{path} holds no {SOURCE_NAME}")


def bounds(glyph_set, name):
    pen = BoundsPen(glyph_set)
    glyph_set[name].draw(pen)
    return pen.bounds


def draw_char_string(font, name, width, draw):
    """Replaces glyph NAME's outline with what DRAW(pen) draws, advancing WIDTH units."""
    char_strings = font["CFF "].cff.topDictIndex[0].CharStrings
    old = char_strings[name]
    private = old.private
    pen = T2CharStringPen(None if width == private.defaultWidthX else width - private.nominalWidthX, None)
    draw(pen)
    new = pen.getCharString(private=private, globalSubrs=old.globalSubrs)
    char_strings[name] = new
    lsb = 0
    glyph_set = font.getGlyphSet()
    box = bounds(glyph_set, name)
    if box is not None:
        lsb = round(box[0])
    font["hmtx"][name] = (width, lsb)


def fit(font, name, cells):
    """Puts glyph NAME on CELLS cells: centred, and scaled down when its ink is wider."""
    target = cells * CELL
    glyph_set = font.getGlyphSet()
    advance = font["hmtx"][name][0]
    if advance == target:
        return False
    box = bounds(glyph_set, name)
    transform = Transform()
    if box is not None:
        ink = box[2] - box[0]
        limit = target - CELL // 10
        if ink > limit:
            scale = limit / ink
            # Scaled about the middle of the line so the glyph stays on its baseline's height.
            middle = (font["OS/2"].sTypoAscender + font["OS/2"].sTypoDescender) / 2
            transform = Transform(scale, 0, 0, scale, (target - ink * scale) / 2 - box[0] * scale,
                                  middle * (1 - scale))
        else:
            transform = Transform(1, 0, 0, 1, (target - advance) / 2, 0)
    original = glyph_set[name]
    draw_char_string(font, name, target, lambda pen: original.draw(TransformPen(pen, transform)))
    return True


def dot(pen, x, y, radius):
    """A round dot of four curves, counter-clockwise as CFF outlines go."""
    k = radius * 0.5523  # the control distance that makes a quarter circle of a cubic
    pen.moveTo((x + radius, y))
    pen.curveTo((x + radius, y + k), (x + k, y + radius), (x, y + radius))
    pen.curveTo((x - k, y + radius), (x - radius, y + k), (x - radius, y))
    pen.curveTo((x - radius, y - k), (x - k, y - radius), (x, y - radius))
    pen.curveTo((x + k, y - radius), (x + radius, y - k), (x + radius, y))
    pen.closePath()


def compose_approximately_equal(font, cmap):
    """Draws ≒: the glyph of "＝", a dot above its left end and one below its right end."""
    name = cmap[ord("\uff1d")]
    equals = font.getGlyphSet()[name]
    left, bottom, right, top = bounds(font.getGlyphSet(), name)
    radius = 45

    def draw(pen):
        equals.draw(pen)
        dot(pen, left + 2 * radius, top + 2.5 * radius, radius)
        dot(pen, right - 2 * radius, bottom - 2.5 * radius, radius)

    return draw


def frame(pen):
    """An empty two-cell frame, for characters that have no picture of their own."""
    left, right, bottom, top, stroke = 100, 2 * CELL - 100, -40, 760, 50
    for x0, y0, x1, y1, clockwise in ((left, bottom, right, top, False),
                                      (left + stroke, bottom + stroke, right - stroke, top - stroke, True)):
        points = [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]
        if clockwise:
            points.reverse()
        pen.moveTo(points[0])
        for point in points[1:]:
            pen.lineTo(point)
        pen.closePath()


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    source_path, output_path = sys.argv[1:]
    font = open_source(source_path)
    source_cmap = font.getBestCmap()

    cells = {ch: 1 for ch in ONE_CELL}
    for ch in gbk_double_byte() + PRIVATE_USE:
        cells[ch] = 2
    keep = {ord(ch) for ch in cells if ord(ch) in source_cmap}
    # Two Hangul syllables lend their glyph slots to the new pictures (≒ and the frame): the
    # slots keep the font's own glyph bookkeeping, and the syllables themselves are dropped.
    lenders = {COMPOSED: 0xAC00, "frame": 0xAC01}

    options = subset.Options()
    options.layout_features = []
    options.drop_tables += ["GSUB", "GPOS", "GDEF", "BASE", "vhea", "vmtx", "VORG", "DSIG"]
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.notdef_outline = True
    options.hinting = True
    options.recalc_timestamp = False
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=keep | set(lenders.values()))
    subsetter.subset(font)
    cmap = font.getBestCmap()
    new_glyphs = {key: cmap[code] for key, code in lenders.items()}
    draw_composed = compose_approximately_equal(font, cmap)
    for table in font["cmap"].tables:
        if not table.isUnicode():
            continue
        for code in lenders.values():
            table.cmap.pop(code, None)
        table.cmap[ord(COMPOSED)] = new_glyphs[COMPOSED]
        for ch in PRIVATE_USE:
            table.cmap.setdefault(ord(ch), new_glyphs["frame"])
    draw_char_string(font, new_glyphs[COMPOSED], 2 * CELL, draw_composed)
    draw_char_string(font, new_glyphs["frame"], 2 * CELL, frame)
    cmap = font.getBestCmap()

    # One glyph may serve several characters; each must want the same number of cells.
    wanted = {}
    for ch, n in cells.items():
        name = cmap.get(ord(ch))
        if name is None:
            sys.exit(f"no glyph for U+{ord(ch):04X}")
        if wanted.setdefault(name, n) != n:
            sys.exit(f"glyph {name} serves characters of one and of two cells")
    moved = sum(fit(font, name, n) for name, n in wanted.items())

    name_table = font["name"]
    for record in list(name_table.names):
        if record.nameID in (1, 2, 3, 4, 6, 16, 17, 21, 22):
            name_table.removeNames(nameID=record.nameID)
    for name_id, text in ((1, FAMILY), (2, "Regular"), (3, f"{FAMILY} Regular; derived from {SOURCE_NAME}"),
                          (4, FAMILY), (6, POSTSCRIPT_NAME)):
        name_table.setName(text, name_id, 3, 1, 0x409)
        name_table.setName(text, name_id, 1, 0, 0)
    name_table.setName(f"Derived from {SOURCE_NAME} for Cellbrae: every ASCII character one cell wide, "
                       "every GBK double-byte character two.", 10, 3, 1, 0x409)
    cff = font["CFF "].cff
    cff.fontNames = [POSTSCRIPT_NAME]
    top = cff.topDictIndex[0]
    for attribute in ("FullName", "FamilyName"):
        if hasattr(top, attribute):
            setattr(top, attribute, FAMILY)
    font["OS/2"].achVendID = "NONE"
    # An em of 1024 units: a renderer scales advances by ppem/1024, exactly in binary fixed
    # point, so one cell is exactly half of two at every pixel size (with 1000 units FreeType's
    # fraction truncates a 7-pixel cell to 447/64 and a 14-pixel one to 895/64).
    scale_upem(font, 1024)
    top.FontMatrix = [1 / 1024, 0, 0, 1 / 1024, 0, 0]  # the outlines' units, as the head says
    font.recalcTimestamp = False  # the same font from the same source, byte for byte
    font.save(output_path)
    print(f"{output_path}: {len(font.getGlyphOrder())} glyphs, {moved} moved onto the grid")


if __name__ == "__main__":
    main()
