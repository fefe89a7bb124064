#!/usr/bin/env python3
"""Draws the installer's icon and its file-copy animation.

    make-assets.py OUTDIR

writes OUTDIR/varnok.ico (32x32 and 16x16, 16 colours: a parcel with a
green arrow pointing into it) and OUTDIR/filecopy.avi (RLE8, 260x40,
17 frames at 10 fps, 16 colours: a sheet of paper flying from one folder to
another). Both are drawn here from simple shapes, so the build needs no
binary assets. Output is the same on every run.
"""
import math
import os
import struct
import sys

# The 16 colours of the classic VGA palette, as (r, g, b).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, OLIVE, SILVER, GRAY, LIME, YELLOW, WHITE = 0, 3, 7, 8, 10, 11, 15
CLEAR = -1  # icon pixels left transparent by the AND mask


class Canvas:
    """Palette-indexed pixels, top row first."""

    def __init__(self, width, height, fill):
        self.width, self.height = width, height
        self.rows = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def fill(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), both included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def box(self, x0, y0, x1, y1, colour, outline=BLACK):
        self.fill(x0, y0, x1, y1, outline)
        self.fill(x0 + 1, y0 + 1, x1 - 1, y1 - 1, colour)


# --- the animation -------------------------------------------------------

FRAME_W, FRAME_H, FRAMES, FPS = 260, 40, 17, 10
BACKGROUND = SILVER  # the top-left pixel: the control draws this colour transparent


def draw_folder_back(c, x, y):
    c.box(x, y, x + 12, y + 4, OLIVE)        # tab
    c.box(x, y + 3, x + 31, y + 23, OLIVE)   # back panel


def draw_folder_front(c, x, y):
    c.box(x, y + 10, x + 31, y + 23, YELLOW)
    c.fill(x + 1, y + 11, x + 30, y + 11, WHITE)  # highlight on the front's edge


def draw_paper(c, x, y):
    c.box(x, y, x + 11, y + 15, WHITE)
    for r in range(5):                       # dog-ear in the top right corner
        for k in range(4):
            if k > r:
                colour = BACKGROUND          # the corner folded away
            elif k == r or k == 0 or r == 4:
                colour = BLACK               # the fold's edges
            else:
                colour = GRAY
            c.put(x + 8 + k, y + r, colour)
    for row in range(4):                     # lines of text
        c.fill(x + 2, y + 6 + 2 * row, x + 9 - (row % 2) * 3, y + 6 + 2 * row, GRAY)


def animation_frame(i):
    c = Canvas(FRAME_W, FRAME_H, BACKGROUND)
    left, right, top = 20, 208, 12
    draw_folder_back(c, left, top)
    draw_folder_back(c, right, top)
    t = i / (FRAMES - 1)
    x = round(left + 10 + t * (right - left))
    y = round(top + 2 - math.sin(math.pi * t) * 12)
    draw_paper(c, x, y)
    draw_folder_front(c, left, top)
    draw_folder_front(c, right, top)
    return c


def rle8(canvas):
    """Encodes a frame as a complete RLE8 bitmap: bottom row first, every
    pixel written (no skips), so each frame stands on its own."""
    out = bytearray()
    for row in reversed(canvas.rows):
        x = 0
        while x < len(row):
            run = 1
            while x + run < len(row) and run < 255 and row[x + run] == row[x]:
                run += 1
            out += bytes((run, row[x]))
            x += run
        out += b"\x00\x00"                   # end of line
    out[-2:] = b"\x00\x01"                   # end of bitmap
    return bytes(out)


def chunk(fourcc, data):
    pad = b"\x00" if len(data) % 2 else b""
    return fourcc + struct.pack("<I", len(data)) + data + pad


def riff_list(kind, fourcc, body):
    return kind + struct.pack("<I", len(body) + 4) + fourcc + body


def make_avi():
    frames = [rle8(animation_frame(i)) for i in range(FRAMES)]
    biggest = max(len(f) for f in frames)
    avih = struct.pack("<14I", 1000000 // FPS, biggest * FPS, 0, 0x10, FRAMES, 0, 1, biggest,
                       FRAME_W, FRAME_H, 0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIII4h", b"vids", b"RLE ", 0, 0, 0, 0, 1, FPS, 0, FRAMES,
                       biggest, 0xFFFFFFFF, 0, 0, 0, FRAME_W, FRAME_H)
    bih = struct.pack("<IiiHHIIiiII", 40, FRAME_W, FRAME_H, 1, 8, 1, biggest, 0, 0, 16, 16)
    strf = bih + b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    hdrl = riff_list(b"LIST", b"hdrl", chunk(b"avih", avih) +
                     riff_list(b"LIST", b"strl", chunk(b"strh", strh) + chunk(b"strf", strf)))
    movi_body, index, offset = b"", b"", 4   # index offsets count from the 'movi' fourcc
    for f in frames:
        index += struct.pack("<4sIII", b"00dc", 0x10, offset, len(f))
        piece = chunk(b"00dc", f)
        movi_body += piece
        offset += len(piece)
    body = hdrl + riff_list(b"LIST", b"movi", movi_body) + chunk(b"idx1", index)
    return riff_list(b"RIFF", b"AVI ", body)


# --- the icon ----------------------------------------------------------------

def icon_picture(size):
    """A parcel with a green arrow pointing into it, drawn on a 32-unit grid."""
    c = Canvas(size, size, CLEAR)

    def s(v):
        return v * size // 32

    c.box(s(3), s(14), s(28), s(30), YELLOW)     # parcel
    c.box(s(2), s(10), s(29), s(14), OLIVE)      # lid
    c.fill(s(15), s(10), s(16), s(30), OLIVE)    # tape
    top, bottom, centre = s(9), s(22), (size - 1) / 2
    widest = (s(26) - s(5)) / 2
    c.box(s(12), 0, s(19), top, LIME)            # shaft
    for y in range(top, bottom + 1):             # head, narrowing to its point
        half = widest * (bottom - y) / (bottom - top)
        x0, x1 = round(centre - half), round(centre + half)
        c.fill(x0, y, x1, y, BLACK if y == top else LIME)
        c.put(x0, y, BLACK)
        c.put(x1, y, BLACK)
    c.fill(s(12) + 1, top, s(19) - 1, top, LIME)
    return c


def icon_image(canvas):
    """One icon image: BITMAPINFOHEADER, palette, 4-bit colours, AND mask."""
    w, h = canvas.width, canvas.height
    colour_stride = ((w * 4 + 31) // 32) * 4
    mask_stride = ((w + 31) // 32) * 4
    colours, mask = bytearray(), bytearray()
    for row in reversed(canvas.rows):
        line = bytearray(colour_stride)
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            index = 0 if p == CLEAR else p
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if p == CLEAR:
                bits[x // 8] |= 0x80 >> (x % 8)
        colours += line
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0, len(colours) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(colours) + bytes(mask)


def make_icon():
    images = [icon_image(icon_picture(size)) for size in (32, 16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-assets.py OUTDIR")
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    for name, data in (("varnok.ico", make_icon()), ("filecopy.avi", make_avi())):
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
