#!/usr/bin/env python3
"""Build BrisvaneChess.ttf, the chess diagram font, from the piece artwork.

The pieces come from gui/diagram/pieces/make_pieces.py, the same 38 x 38
pixel drawings the board diagram uses.  Every glyph is composed as a 1-bit
bitmap with one bitmap pixel per font unit (a square is 2048 x 2048), saved
as PBM, traced with potrace into SVG and imported into a FontForge glyph.

  light square   '*' and space empty,  white p n b r q k,  black o m v t w l
  dark square    '+' empty,            white P N B R Q K,  black O M V T W L
  frame          1 2 3 / 4 5 / 7 8 9   (NW N NE / W E / SW S SE)

A dark square is covered with "///" hatching; around a piece the hatching
is cleared in a halo (the silhouette grown by two artwork pixels).  A
white piece is inked as its silhouette minus the white figure (outline
and detail lines), a black one as its silhouette minus its white detail
lines.

The font is written reproducibly (fixed time stamps, no FFTM table), so
two runs give the same bytes.  Needs potrace and FontForge's Python
module (Debian: apt-get install potrace python3-fontforge); run it with
the Python that module belongs to (/usr/bin/python3 on Debian).

Usage:  python3 make_chess_font.py [--out FILE] [--preview FILE.png]
"""

import argparse
import math
import os
import struct
import subprocess
import sys
import tempfile
import zlib

# 2026-01-01 00:00:00 UTC, used for the font's creation and modification
# times; FontForge reads it when it writes the head table.
FIXED_TIME = 1767225600
os.environ["SOURCE_DATE_EPOCH"] = str(FIXED_TIME)

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True          # no __pycache__ beside the pieces
sys.path.insert(0, os.path.join(HERE, "..", "..", "diagram", "pieces"))
import make_pieces                                          # noqa: E402
import fontforge                                            # noqa: E402

FAMILY = "Brisvane Chess"
PSNAME = "BrisvaneChess"
VERSION = "1.000"
COPYRIGHT = "Copyright 2026 The Brisvane developers"
LICENSE = ("This Font Software is licensed under the SIL Open Font License, "
           "Version 1.1. This license is available with a FAQ at: "
           "https://openfontlicense.org")
LICENSE_URL = "https://openfontlicense.org"

EM = 2048
ASCENT, DESCENT = 1638, 410      # ASCENT + DESCENT == EM: lines touch
CELL = EM                        # a board square, EM x EM
NARROW = CELL // 4               # width of the W/E frame and the corners
BAR = CELL // 16                 # thickness of the frame bar

# Hatching: HATCH_LINES stripes cross each side of a square (so the
# pattern runs on seamlessly into the neighbouring squares), each CELL/24
# thick measured across the stripe.  Stripes are 2048/6/sqrt(2) = 241
# units apart, about 1/8 of the square.
HATCH_LINES = 6
HATCH_WIDTH = round(HATCH_LINES * CELL * math.sqrt(2) / 24)  # x 1/6 unit
HALO = [(dx, dy) for dx in range(-2, 3) for dy in range(-2, 3)
        if dx * dx + dy * dy <= 5]

LIGHT_WHITE = "pnbrqk"           # piece letters: colour, square colour
LIGHT_BLACK = "omvtwl"
DARK_WHITE = "PNBRQK"
DARK_BLACK = "OMVTWL"
PIECE_NAMES = ["Pawn", "Knight", "Bishop", "Rook", "Queen", "King"]
BORDERS = [  # name, code, advance, bar rectangle (x0, y0, x1, y1)
    ("BorderNW", "1", NARROW, (NARROW - BAR, -DESCENT, NARROW, BAR - DESCENT)),
    ("BorderN", "2", CELL, (0, -DESCENT, CELL, BAR - DESCENT)),
    ("BorderNE", "3", NARROW, (0, -DESCENT, BAR, BAR - DESCENT)),
    ("BorderW", "4", NARROW, (NARROW - BAR, -DESCENT, NARROW, ASCENT)),
    ("BorderE", "5", NARROW, (0, -DESCENT, BAR, ASCENT)),
    ("BorderSW", "7", NARROW, (NARROW - BAR, ASCENT - BAR, NARROW, ASCENT)),
    ("BorderS", "8", CELL, (0, ASCENT - BAR, CELL, ASCENT)),
    ("BorderSE", "9", NARROW, (0, ASCENT - BAR, BAR, ASCENT)),
]


# ---------------------------------------------------------------------------
# Bitmaps: a glyph bitmap is a list of rows (top row first), each row an
# int whose most significant bit of `width` bits is the leftmost pixel.
# ---------------------------------------------------------------------------

N = make_pieces.N
EDGES = [round(i * CELL / N) for i in range(N + 1)]  # artwork pixel -> units
ART_ROW = [next(j for j in range(N) if EDGES[j] <= r < EDGES[j + 1])
           for r in range(CELL)]


def span_bits(width, x0, x1):
    """Row int with pixels x0 <= x < x1 set."""
    return ((1 << (x1 - x0)) - 1) << (width - x1) if x1 > x0 else 0


def art_rows(pts):
    """The artwork pixel set pts as 38 rows of a CELL-wide bitmap."""
    rows = [0] * N
    for x, y in pts:
        rows[y] |= span_bits(CELL, EDGES[x], EDGES[x + 1])
    return rows


def hatch_rows():
    """'///' stripes over a whole square, tested at the pixel centres.
    The gaps are centred on the square's corners, so no corner holds a
    sliver of a stripe: stripe k is centred on the line
    x - y = DESCENT + (k + 1/2) * CELL / HATCH_LINES."""
    pattern = "".join(
        "1" if (HATCH_LINES * t + (HATCH_WIDTH - CELL) // 2) % CELL
        < HATCH_WIDTH else "0" for t in range(2 * CELL))
    rows = []
    for r in range(CELL):
        # pixel (x, r) has its centre at font x + 0.5, ASCENT - r - 0.5:
        # x - y - DESCENT = x + r + 1 - CELL, and the pattern repeats
        # every CELL
        rows.append(int(pattern[r + 1:r + 1 + CELL], 2))
    return rows


def halo_of(sil):
    """The silhouette grown by HALO; a one-pixel strip left between the
    halo and the edge of the square is cleared too (it would only hold
    short dashes of hatching)."""
    halo = {(x + dx, y + dy) for x, y in sil for dx, dy in HALO
            if 0 <= x + dx < N and 0 <= y + dy < N}
    for x, y in list(halo):
        halo |= {(0 if x == 1 else N - 1 if x == N - 2 else x,
                  0 if y == 1 else N - 1 if y == N - 2 else y),
                 (0 if x == 1 else N - 1 if x == N - 2 else x, y),
                 (x, 0 if y == 1 else N - 1 if y == N - 2 else y)}
    return halo


def square_bitmap(ink, halo, hatch):
    """A square: piece ink (artwork pixels) and, on a dark square, the
    hatching outside the halo.  ink/halo may be empty sets."""
    ink_r, halo_r = art_rows(ink), art_rows(halo)
    full = (1 << CELL) - 1
    rows = []
    for r in range(CELL):
        j = ART_ROW[r]
        v = ink_r[j]
        if hatch:
            v |= hatch[r] & ~halo_r[j] & full
        rows.append(v)
    return rows


def rect_bitmap(width, rect):
    """A bitmap `width` x CELL with the font-unit rectangle rect filled."""
    x0, y0, x1, y1 = rect
    bits = span_bits(width, x0, x1)
    return [bits if y0 <= ASCENT - r - 1 < y1 else 0 for r in range(CELL)]


def write_pbm(path, width, rows):
    nbytes = (width + 7) // 8
    pad = nbytes * 8 - width
    with open(path, "wb") as f:
        f.write(b"P4\n%d %d\n" % (width, len(rows)))
        for v in rows:
            f.write((v << pad).to_bytes(nbytes, "big"))


# ---------------------------------------------------------------------------
# The glyphs
# ---------------------------------------------------------------------------

def glyph_table():
    """[(glyph name, character code, advance, bitmap rows or None)]"""
    hatch = hatch_rows()
    table = [("LightSquare", ord("*"), CELL, None),
             ("space", ord(" "), CELL, None),
             ("DarkSquare", ord("+"), CELL,
              square_bitmap(set(), set(), hatch))]
    for k, (sil, wfig, bfig) in enumerate(make_pieces.build()):
        halo = halo_of(sil)
        for colour, ink, light, dark in (
                ("White", sil - wfig, LIGHT_WHITE[k], DARK_WHITE[k]),
                ("Black", sil - bfig, LIGHT_BLACK[k], DARK_BLACK[k])):
            name = colour + PIECE_NAMES[k]
            table.append((name + "Light", ord(light), CELL,
                          square_bitmap(ink, set(), None)))
            table.append((name + "Dark", ord(dark), CELL,
                          square_bitmap(ink, halo, hatch)))
    for name, code, width, rect in BORDERS:
        table.append((name, ord(code), width, rect_bitmap(width, rect)))
    return table


def trace(glyph, width, rows, tmp):
    """Trace the bitmap with potrace and put the outline into glyph."""
    pbm = os.path.join(tmp, glyph.glyphname + ".pbm")
    svg = os.path.join(tmp, glyph.glyphname + ".svg")
    write_pbm(pbm, width, rows)
    # --alphamax 0: corners only, so the pixel artwork and the hatching
    # stay straight-edged polygons.  --turdsize drops the slivers of
    # hatching left where a stripe just grazes a halo: anything below
    # 2000 square units, while one artwork pixel is at least 53 x 53.
    subprocess.run(["potrace", "--svg", "--flat", "--alphamax", "0",
                    "--turdsize", "2000", "--output", svg, pbm], check=True)
    glyph.importOutlines(svg)
    glyph.removeOverlap()
    glyph.simplify(0.5, ("mergelines",))
    glyph.round()
    snap_to_cell(glyph, width)
    glyph.correctDirection()
    glyph.canonicalContours()
    glyph.canonicalStart()


def snap_to_cell(glyph, width):
    """potrace places corners to within a fraction of a unit; put points
    next to the glyph's box exactly onto it so squares tile without seams."""
    layer = glyph.foreground
    for ci in range(len(layer)):
        c = layer[ci]
        for i in range(len(c)):
            p = c[i]
            for edge in (0, width):
                if abs(p.x - edge) <= 2:
                    p.x = edge
            for edge in (-DESCENT, ASCENT):
                if abs(p.y - edge) <= 2:
                    p.y = edge
            c[i] = p
        layer[ci] = c
    glyph.foreground = layer


def build_font(out):
    font = fontforge.font()
    font.encoding = "UnicodeBmp"
    font.em = EM
    font.ascent, font.descent = ASCENT, DESCENT
    font.fontname, font.familyname, font.fullname = PSNAME, FAMILY, FAMILY
    font.weight = "Regular"
    font.version = VERSION
    font.copyright = COPYRIGHT
    for key, value in (("Copyright", COPYRIGHT), ("Family", FAMILY),
                       ("SubFamily", "Regular"), ("Fullname", FAMILY),
                       ("UniqueID", "%s %s" % (FAMILY, VERSION)),
                       ("Version", "Version " + VERSION),
                       ("PostScriptName", PSNAME),
                       ("License", LICENSE), ("License URL", LICENSE_URL)):
        font.appendSFNTName("English (US)", key, value)

    font.os2_version = 4
    font.os2_fstype = 0
    font.os2_vendor = "NONE"
    font.os2_stylemap = 0x40             # fsSelection REGULAR
    font.os2_use_typo_metrics = True
    font.os2_typoascent_add = font.os2_typodescent_add = False
    font.os2_winascent_add = font.os2_windescent_add = False
    font.hhea_ascent_add = font.hhea_descent_add = False
    font.os2_typoascent, font.os2_typodescent = ASCENT, -DESCENT
    font.os2_typolinegap = 0
    font.os2_winascent, font.os2_windescent = ASCENT, DESCENT
    font.hhea_ascent, font.hhea_descent = ASCENT, -DESCENT
    font.hhea_linegap = 0

    notdef = font.createChar(-1, ".notdef")
    notdef.width = CELL
    with tempfile.TemporaryDirectory() as tmp:
        for name, code, width, rows in glyph_table():
            g = font.createChar(code, name)
            if rows and any(rows):
                trace(g, width, rows, tmp)
            g.width = width
    font.generate(out, flags=("no-FFTM-table", "omit-instructions"))
    font.close()


# ---------------------------------------------------------------------------
# Checks on the written file
# ---------------------------------------------------------------------------

def sfnt_tables(data):
    count = struct.unpack_from(">H", data, 4)[0]
    tables = {}
    for i in range(count):
        tag, _, off, length = struct.unpack_from(">4sIII", data, 12 + 16 * i)
        tables[tag.decode("latin-1")] = data[off:off + length]
    return tables


def expected_codes():
    codes = {" ": ("space", CELL), "*": ("LightSquare", CELL),
             "+": ("DarkSquare", CELL)}
    for k, piece in enumerate(PIECE_NAMES):
        codes[LIGHT_WHITE[k]] = ("White%sLight" % piece, CELL)
        codes[LIGHT_BLACK[k]] = ("Black%sLight" % piece, CELL)
        codes[DARK_WHITE[k]] = ("White%sDark" % piece, CELL)
        codes[DARK_BLACK[k]] = ("Black%sDark" % piece, CELL)
    for name, code, width, _ in BORDERS:
        codes[code] = (name, width)
    return codes


def check(path):
    problems = []
    with open(path, "rb") as f:
        t = sfnt_tables(f.read())
    head, hhea, os2, cmap = t["head"], t["hhea"], t["OS/2"], t["cmap"]
    if struct.unpack_from(">H", head, 18)[0] != EM:
        problems.append("unitsPerEm")
    if struct.unpack_from(">hhh", hhea, 4) != (ASCENT, -DESCENT, 0):
        problems.append("hhea metrics %s" % (struct.unpack_from(">hhh",
                                                                 hhea, 4),))
    if struct.unpack_from(">hhhHH", os2, 68) != (ASCENT, -DESCENT, 0,
                                                  ASCENT, DESCENT):
        problems.append("OS/2 metrics %s" % (struct.unpack_from(">hhhHH",
                                                                  os2, 68),))
    if struct.unpack_from(">H", os2, 8)[0] != 0:
        problems.append("fsType not 0")
    if not struct.unpack_from(">H", os2, 62)[0] & 0x80:
        problems.append("USE_TYPO_METRICS not set")
    subtables = set()
    for i in range(struct.unpack_from(">H", cmap, 2)[0]):
        plat, enc, off = struct.unpack_from(">HHI", cmap, 4 + 8 * i)
        subtables.add((plat, enc, struct.unpack_from(">H", cmap, off)[0]))
    # Unicode BMP (3, 1) plus Mac Roman, and no symbol (3, 0) table
    if not {(3, 1, 4), (1, 0, 0)} <= subtables or (3, 0, 4) in subtables:
        problems.append("cmap subtables %s" % sorted(subtables))

    widths = {sum(expected_codes()[c][1] for c in line)
              for line in board_lines()}
    if len(widths) != 1:
        problems.append("board lines of widths %s" % sorted(widths))

    font = fontforge.open(path)
    if (font.familyname, font.fullname) != (FAMILY, FAMILY):
        problems.append("names %r %r" % (font.familyname, font.fullname))
    for ch, (name, width) in sorted(expected_codes().items()):
        if ord(ch) not in font:
            problems.append("no glyph for %r" % ch)
            continue
        g = font[ord(ch)]
        if (g.glyphname, g.width) != (name, width):
            problems.append("%r: %s, width %d" % (ch, g.glyphname, g.width))
        if g.layers[1].isEmpty():
            continue
        x0, y0, x1, y1 = g.boundingBox()
        if x0 < 0 or x1 > width or y0 < -DESCENT or y1 > ASCENT:
            problems.append("%r: outside its box %s" % (ch, g.boundingBox()))
        if ch == "+" and g.boundingBox() != (0, -DESCENT, CELL, ASCENT):
            problems.append("dark square does not fill its box")
    font.close()
    return problems


# ---------------------------------------------------------------------------
# Preview: lines of text set in the font, rasterised with anti-aliasing
# ---------------------------------------------------------------------------

def glyph_polygons(glyph):
    """The glyph's contours as lists of (x, y), quadratic arcs flattened."""
    polys = []
    for c in glyph.foreground:
        pts = [(p.x, p.y, p.on_curve) for p in c]
        if not pts:
            continue
        if not any(on for _, _, on in pts):
            (ax, ay, _), (bx, by, _) = pts[0], pts[1]
            pts.insert(1, ((ax + bx) / 2, (ay + by) / 2, True))
        k = next(i for i, p in enumerate(pts) if p[2])
        pts = pts[k:] + pts[:k] + [pts[k]]
        poly = [pts[0][:2]]
        ctrl = None
        for x, y, on in pts[1:]:
            if ctrl is None:
                if on:
                    poly.append((x, y))
                else:
                    ctrl = (x, y)
                continue
            end = (x, y) if on else ((ctrl[0] + x) / 2, (ctrl[1] + y) / 2)
            (sx, sy), (cx, cy) = poly[-1], ctrl
            for i in range(1, 9):
                u = i / 8
                poly.append(((1 - u) ** 2 * sx + 2 * u * (1 - u) * cx
                             + u * u * end[0],
                             (1 - u) ** 2 * sy + 2 * u * (1 - u) * cy
                             + u * u * end[1]))
            ctrl = None if on else (x, y)
        polys.append(poly)
    return polys


def render(font, lines, px_per_cell, sub=4):
    """Set `lines` (one line per string, no line gap); return (w, h, rows of
    coverage 0..1)."""
    s = px_per_cell / CELL
    cache = {}
    edges = []
    width = 0
    for n, text in enumerate(lines):
        x = 0
        for ch in text:
            if ch not in cache:
                g = font[ord(ch)]
                cache[ch] = (g.width, glyph_polygons(g))
            adv, polys = cache[ch]
            for poly in polys:
                for (ax, ay), (bx, by) in zip(poly, poly[1:]):
                    edges.append(((x + ax) * s, (n * CELL + ASCENT - ay) * s,
                                  (x + bx) * s, (n * CELL + ASCENT - by) * s))
            x += adv
        width = max(width, x)
    w, h = math.ceil(width * s), math.ceil(len(lines) * CELL * s)
    buckets = [[] for _ in range(h * sub)]
    for x0, y0, x1, y1 in edges:
        if y0 == y1:
            continue
        d = 1 if y1 > y0 else -1
        if d < 0:
            x0, y0, x1, y1 = x1, y1, x0, y0
        for q in range(max(0, math.ceil(y0 * sub - 0.5)),
                       min(h * sub, math.ceil(y1 * sub - 0.5))):
            buckets[q].append((x0, y0, (x1 - x0) / (y1 - y0), d))
    out = []
    for row in range(h):
        part = [0.0] * (w + 2)
        diff = [0] * (w + 2)
        for q in range(row * sub, row * sub + sub):
            ys = (q + 0.5) / sub
            xs = sorted((x0 + (ys - y0) * k, d) for x0, y0, k, d in buckets[q])
            wind = 0
            for i, (xc, d) in enumerate(xs):
                wind += d
                if wind and i + 1 < len(xs):
                    a, b = max(0.0, xc), min(float(w), xs[i + 1][0])
                    if b <= a:
                        continue
                    ia, ib = int(a), int(b)
                    if ia == ib:
                        part[ia] += b - a
                    else:
                        part[ia] += ia + 1 - a
                        part[ib] += b - ib
                        diff[ia + 1] += 1
                        diff[ib] -= 1
        acc, cov = 0, []
        for i in range(w):
            acc += diff[i]
            cov.append(min(1.0, (acc + part[i]) / sub))
        out.append(cov)
    return w, h, out


def write_png(path, w, h, grey):
    raw = b"".join(b"\0" + bytes(row) for row in grey)

    def chunk(tag, data):
        return (struct.pack(">I", len(data)) + tag + data
                + struct.pack(">I", zlib.crc32(tag + data)))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n"
                + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 0, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def board_lines():
    """The initial position as a framed board: '1' + 8 x '2' + '3' etc."""
    back = "rnbqkbnr"
    lines = ["1" + "2" * 8 + "3"]
    for rank in range(8, 0, -1):
        row = "4"
        for f in range(8):
            piece = {8: back[f], 7: "p", 2: "P", 1: back[f].upper()}.get(rank)
            dark = (f + rank) % 2 == 1     # a1 (f = 0, rank 1) is dark
            if piece is None:
                row += "+" if dark else "*"
                continue
            k = "pnbrqk".index(piece.lower())
            if piece.isupper():
                row += DARK_WHITE[k] if dark else LIGHT_WHITE[k]
            else:
                row += DARK_BLACK[k] if dark else LIGHT_BLACK[k]
        lines.append(row + "5")
    lines.append("7" + "8" * 8 + "9")
    return lines


def preview(font_path, png):
    """Left: the board at 100 pixels a square (24 pt at 300 dpi).  Right:
    the board at 32 pixels a square (24 pt on a 96 dpi screen) and every
    square glyph at 48 pixels."""
    font = fontforge.open(font_path)
    parts = [(0, 0, render(font, board_lines(), 100))]
    big_w = parts[0][2][0]
    parts.append((big_w + 24, 0, render(font, board_lines(), 32)))
    small_h = parts[1][2][1]
    parts.append((big_w + 24, small_h + 24,
                  render(font, [LIGHT_WHITE + "*", LIGHT_BLACK + " ",
                                DARK_WHITE + "+", DARK_BLACK + "+"], 48)))
    font.close()
    W = max(x + p[0] for x, _, p in parts) + 8
    H = max(y + p[1] for _, y, p in parts) + 8
    canvas = [bytearray([255]) * W for _ in range(H)]
    for x, y, (w, h, cov) in parts:
        for r in range(h):
            canvas[y + r][x:x + w] = bytes(255 - round(255 * c)
                                           for c in cov[r])
    write_png(png, W, H, canvas)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", default=os.path.join(HERE, "BrisvaneChess.ttf"),
                    help="the TrueType file to write")
    ap.add_argument("--preview", default="",
                    help="also write a PNG of the initial position")
    args = ap.parse_args()
    build_font(args.out)
    print("wrote", args.out, os.path.getsize(args.out), "bytes")
    problems = check(args.out)
    if args.preview:
        preview(args.out, args.preview)
        print("preview:", args.preview)
    for p in problems:
        print("PROBLEM:", p)
    print("checks:", "FAILED" if problems else "all passed")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
