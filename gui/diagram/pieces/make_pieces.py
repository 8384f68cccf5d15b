#!/usr/bin/env python3
"""Generate the chess piece bitmaps used by the board diagram.

Writes PIECE1.bmp .. PIECE24.bmp (38 x 38, 4 bits per pixel, 16-colour
palette, uncompressed) next to this script:

  PIECE1..6    images of the white pieces  P N B R Q K
  PIECE7..12   images of the black pieces  p n b r q k
  PIECE13..18  masks of the white pieces   P N B R Q K
  PIECE19..24  masks of the black pieces   p n b r q k

A piece is drawn in two steps: the mask is ANDed onto the square (the
silhouette becomes black, the rest keeps the square colour), then the
image is ORed on top (its non-black pixels light up parts of the black
silhouette).  Hence:

  * white piece image: the silhouette shrunk by a one pixel outline, in
    white, with the inner detail lines left black;
  * black piece image: black, except for thin white detail lines lying
    strictly inside the silhouette.

The pieces are designed pixel by pixel (the ASCII pictures below); the
outline of the white pieces is derived from the silhouettes.  Writing the
bitmaps needs only the Python standard library; the preview picture needs
Pillow (Debian package python3-pil).

Usage:  python3 make_pieces.py [--outdir DIR] [--preview FILE.png]
"""

import argparse
import os
import struct
import sys

N = 38          # bitmap size in pixels

# Standard 16-colour palette (index -> RGB).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, WHITE = 0, 15


# ---------------------------------------------------------------------------
# The pieces, drawn pixel by pixel.
#
# Rows 0..34 of the 38 x 38 bitmap, top to bottom (rows 35..37 stay empty,
# so every piece stands on the same base line).  Symmetric pieces give the
# left half only (columns 0..18); it is mirrored onto columns 19..37.  The
# bishop (because of its slit) and the knight give all 38 columns.
#
#   .   outside the piece
#   #   inside the piece
#   -   inside; a black detail line in the white piece
#   +   inside; a white detail line in the black piece
#   *   inside; a detail line in both (black in white, white in black)
#
# The black outline of the white piece is not drawn here: it is derived
# from the silhouette (every silhouette pixel that has an 8-neighbour
# outside the silhouette is outline).
# ---------------------------------------------------------------------------

PAWN = """
...................
...................
...................
...................
...................
.................##
...............####
..............#####
..............#####
.............######
.............######
.............######
.............######
..............#####
..............#####
...............####
................###
............#####--
............#++++++
............#######
............#++++++
............####---
...............####
...............####
...............####
..............#####
..............#####
.............######
............#######
...........########
..........#########
.........##********
........###########
........###########
........###########
"""

KNIGHT = """
......................................
......................................
................#.....................
...............###....................
..............#####...................
.............######...................
............########.##...............
...........##############.............
..........###########**###............
........######*########*###...........
.......######**#########*###..........
......##################*###..........
.....##########*#########*###.........
....############*########*###.........
....############*#########*###........
...###*##########*########*###........
...####*#########*########*###........
...##############*#########*###.......
...#-***###################*###.......
....###########..##########*###.......
.....########...###########*###.......
......#####....#############*##.......
..............##############*##.......
.............###############*##.......
............###################.......
............###################.......
...........####################.......
...........####################.......
..........#####################.......
..........#####################.......
.........######################.......
.......####*******************#.......
.......########################.......
.......########################.......
.......########################.......
"""

BISHOP = """
......................................
......................................
..................##..................
.................####.................
.................####.................
..................##..................
.................####.................
................######................
...............########...............
..............##########..............
.............############.............
.............##########*#.............
............##########*###............
............#########*####............
............########*#####............
............#######*######............
............######*#######............
............##############............
............##############............
.............############.............
..............##########..............
...........###----------###...........
...........#++++++++++++++#...........
...........################...........
...........#++++++++++++++#...........
...........#####------#####...........
...............########...............
...............########...............
..............##########..............
............##############............
..........##################..........
.........##****************##.........
........######################........
........######################........
........######################........
"""

ROOK = """
...................
...................
...................
...................
........#####...###
........#####...###
........#####...###
........#----------
........#++++++++++
........###########
........###########
........##*********
.........##########
..........#########
...........########
...........########
...........########
...........########
...........########
...........########
...........########
...........########
...........########
...........########
...........########
...........########
...........########
..........#########
.........##########
.........##########
........###########
.......##**********
.......############
.......############
.......############
"""

QUEEN = """
...................
...................
.................##
................###
................###
..........###...###
.........#####...##
.........#####....#
.........#####...##
...###....###....##
..#####...###...###
..#####..#####..###
..#####..#####.####
...###..###########
...####.###########
...################
....###############
.....##############
......#############
.......############
........###########
.........##########
..........#########
.........##--------
.........#+++++++++
.........##########
.........#+++++++++
.........###-------
...........########
..........#########
.........##########
........##*********
.......############
.......############
.......############
"""

KING = """
...................
...................
.................##
.................##
..............#####
..............#####
..............#####
.................##
.................##
.................##
................##-
.........####..####
.......#######.####
......########-####
.....########*#####
.....########*#####
.....#######*######
.....#######*######
.....#######*######
......######*######
.......######*#####
........#####*#####
..........####*####
.........##--------
.........#+++++++++
.........##########
.........#+++++++++
.........###-------
...........########
..........#########
.........##########
........##*********
.......############
.......############
.......############
"""


PIECE_ART = [PAWN, KNIGHT, BISHOP, ROOK, QUEEN, KING]   # codes 1..6 / 7..12


def parse_art(text):
    rows = [r for r in text.strip("\n").split("\n")]
    if len(rows) > N:
        raise ValueError("too many rows")
    cells = {}
    for y, r in enumerate(rows):
        if len(r) == N // 2:
            r = r + r[::-1]
        if len(r) != N:
            raise ValueError("row %d has %d columns" % (y, len(r)))
        for x, c in enumerate(r):
            if c != ".":
                if c not in "#-+*":
                    raise ValueError("bad character %r" % c)
                cells[(x, y)] = c
    return cells


def neighbours8(x, y):
    return [(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)
            if dx or dy]


def erode8(pts):
    """Pixels of pts whose eight neighbours all belong to pts."""
    return {p for p in pts if all(q in pts for q in neighbours8(*p))}


def build():
    """Return six (silhouette, white figure, black figure) pixel sets."""
    out = []
    for text in PIECE_ART:
        cells = parse_art(text)
        sil = set(cells)
        inner = erode8(sil)
        wfig = {p for p in inner if cells[p] in "#+"}
        bfig = {p for p in sil if cells[p] in "+*"}
        out.append((sil, wfig, bfig))
    return out


# ---------------------------------------------------------------------------
# BMP writing / reading
# ---------------------------------------------------------------------------

def bmp_bytes(grid):
    """grid[y][x] = palette index (y = 0 is the top row)."""
    row_bytes = ((N * 4 + 31) // 32) * 4
    pix = bytearray()
    for y in range(N - 1, -1, -1):                    # bottom-up
        row = bytearray(row_bytes)
        for x in range(N):
            v = grid[y][x] & 15
            if x % 2 == 0:
                row[x // 2] |= v << 4
            else:
                row[x // 2] |= v
        pix += row
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    offset = 14 + 40 + len(pal)
    info = struct.pack("<IiiHHIIiiII", 40, N, N, 1, 4, 0, len(pix),
                       2835, 2835, 16, 0)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pix), 0, 0, offset)
    return head + info + pal + bytes(pix)


def read_bmp(path):
    """Return (info dict, palette list, grid[y][x]) -- 4 bpp BI_RGB only."""
    with open(path, "rb") as f:
        data = f.read()
    magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    (hsize, w, h, planes, bpp, comp, isize, _, _, used,
     _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    info = dict(magic=magic, size=size, filesize=len(data), offset=offset,
                hsize=hsize, w=w, h=h, planes=planes, bpp=bpp, comp=comp,
                used=used)
    ncol = used or 16
    pal = [struct.unpack_from("<BBBB", data, 14 + hsize + 4 * i)[:3][::-1]
           for i in range(ncol)]
    row_bytes = ((abs(w) * bpp + 31) // 32) * 4
    grid = [[0] * abs(w) for _ in range(abs(h))]
    for r in range(abs(h)):
        y = abs(h) - 1 - r if h > 0 else r
        base = offset + r * row_bytes
        for x in range(abs(w)):
            b = data[base + x // 2]
            grid[y][x] = (b >> 4) if x % 2 == 0 else (b & 15)
    return info, pal, grid


def to_grid(pts, on, off):
    return [[on if (x, y) in pts else off for x in range(N)] for y in range(N)]


# ---------------------------------------------------------------------------
# Checks and preview
# ---------------------------------------------------------------------------

def check(outdir):
    """Read the written files back and return a list of problems found."""
    problems = []
    files = {}
    for i in range(1, 25):
        path = os.path.join(outdir, "PIECE%d.bmp" % i)
        info, pal, grid = read_bmp(path)
        files[i] = (pal, grid)
        if info["magic"] != b"BM" or info["size"] != info["filesize"]:
            problems.append("%s: bad file header" % path)
        if (info["w"], info["h"]) != (N, N):
            problems.append("%s: size %dx%d" % (path, info["w"], info["h"]))
        if info["bpp"] != 4 or info["comp"] != 0 or info["planes"] != 1:
            problems.append("%s: not 4bpp BI_RGB" % path)
        if info["hsize"] != 40 or len(pal) != 16 or pal != PALETTE:
            problems.append("%s: palette/header" % path)
        if info["h"] <= 0:
            problems.append("%s: rows not stored bottom-up" % path)
        if {v for row in grid for v in row} - {BLACK, WHITE}:
            problems.append("%s: colours other than black and white" % path)

    def rgb(i, x, y):
        pal, grid = files[i]
        return pal[grid[y][x]]

    for k in range(6):
        name = "PNBRQK"[k]
        for img, msk, colour in ((k + 1, k + 13, "white"),
                                 (k + 7, k + 19, "black")):
            sil = {(x, y) for y in range(N) for x in range(N)
                   if rgb(msk, x, y) == (0, 0, 0)}
            rest = {(x, y) for y in range(N) for x in range(N)
                    if rgb(msk, x, y) != (0, 0, 0)}
            if any(rgb(msk, x, y) != (255, 255, 255) for (x, y) in rest):
                problems.append("mask %d: not pure black/white" % msk)
            lit = {(x, y) for y in range(N) for x in range(N)
                   if rgb(img, x, y) != (0, 0, 0)}
            inner = erode8(sil)
            if not lit <= inner:
                problems.append("%s %s image %d: %d pixels touch or leave "
                                "the silhouette" % (colour, name, img,
                                                    len(lit - inner)))
            if colour == "white" and len(lit) < len(inner) * 0.6:
                problems.append("white %s: figure too small" % name)
            if colour == "black" and not 0 < len(lit) < len(inner) * 0.5:
                problems.append("black %s: detail lines missing or too "
                                "much white" % name)
            xs = [x for x, _ in sil]
            ys = [y for _, y in sil]
            if min(xs) < 2 or max(xs) > N - 3 or min(ys) < 2 or max(ys) != 34:
                problems.append("%s %s: margins %s" % (
                    colour, name, (min(xs), max(xs), min(ys), max(ys))))
    return problems


def preview(outdir, path, scale=4):
    """Composite the bitmaps the way the board does (mask AND, image OR).

    Top: every piece, both colours, on a light and on a dark square,
    enlarged `scale` times.  Bottom: a small board with a few ranks, at
    twice and at actual size.
    """
    from PIL import Image          # Debian package python3-pil

    light, dark = (255, 255, 255), (0, 128, 128)
    files = {i: read_bmp(os.path.join(outdir, "PIECE%d.bmp" % i))
             for i in range(1, 25)}

    def tile(code, sq):
        _, ipal, ig = files[code]
        _, mpal, mg = files[code + 12]
        t = Image.new("RGB", (N, N))
        px = t.load()
        for y in range(N):
            for x in range(N):
                m, im = mpal[mg[y][x]], ipal[ig[y][x]]
                px[x, y] = tuple((s & a) | b for s, a, b in zip(sq, m, im))
        return t

    grid = Image.new("RGB", (6 * N, 4 * N))
    for r, (off, sq) in enumerate([(0, light), (0, dark), (6, light),
                                   (6, dark)]):
        for c in range(6):
            grid.paste(tile(off + c + 1, sq), (c * N, r * N))
    grid = grid.resize((6 * N * scale, 4 * N * scale), Image.NEAREST)

    ranks = ["rnbqkbnr", "pppppppp", "PPPPPPPP", "RNBQKBNR"]
    board = Image.new("RGB", (8 * N, 4 * N))
    for r, rank in enumerate(ranks):
        for c, ch in enumerate(rank):
            sq = light if (r + c) % 2 == 0 else dark
            code = "PNBRQKpnbrqk".index(ch) + 1
            board.paste(tile(code, sq), (c * N, r * N))

    W = max(grid.width, 2 * board.width + 8 + board.width)
    out = Image.new("RGB", (W, grid.height + 8 + 2 * board.height),
                    (90, 90, 90))
    out.paste(grid, (0, 0))
    y = grid.height + 8
    out.paste(board.resize((2 * board.width, 2 * board.height),
                           Image.NEAREST), (0, y))
    out.paste(board, (2 * board.width + 8, y))
    out.save(path)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--outdir", default=here,
                    help="where to write PIECE1.bmp .. PIECE24.bmp")
    ap.add_argument("--preview", default="/tmp/pieces_preview.png",
                    help="preview PNG to write ('' for none)")
    args = ap.parse_args()

    pieces = build()
    for k, (sil, wfig, bfig) in enumerate(pieces):
        slots = ((k + 1, to_grid(wfig, WHITE, BLACK)),
                 (k + 7, to_grid(bfig, WHITE, BLACK)),
                 (k + 13, to_grid(sil, BLACK, WHITE)),
                 (k + 19, to_grid(sil, BLACK, WHITE)))
        for slot, grid in slots:
            path = os.path.join(args.outdir, "PIECE%d.bmp" % slot)
            with open(path, "wb") as f:
                f.write(bmp_bytes(grid))

    problems = check(args.outdir)
    if args.preview:
        try:
            preview(args.outdir, args.preview)
            print("preview:", args.preview)
        except ImportError:
            print("no preview: Pillow (python3-pil) is not installed")
    for p in problems:
        print("PROBLEM:", p)
    print("checks:", "FAILED" if problems else "all passed")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
