#!/usr/bin/env python3
"""Draws the program's images and writes them as resource files: the application icon
(16, 32 and 48 px) and the button bitmaps (two 16 x 16 glyphs side by side, enabled then
disabled, on magenta, which the buttons draw transparent). Run it again after changing a
drawing; the files it writes are kept in resources/."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources")

MAGENTA = (255, 0, 255)
GREY = (128, 128, 128)
LIGHT = (255, 255, 255)


def canvas(w, h, colour):
    return [[colour for _ in range(w)] for _ in range(h)]


def disc(img, cx, cy, r, colour):
    for y in range(len(img)):
        for x in range(len(img[0])):
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                img[y][x] = colour


def thick_line(img, points, colour, width=1.6):
    """Poly-line of the given width through points (x, y)."""
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 4) + 1
        for i in range(steps + 1):
            t = i / steps
            disc(img, x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, width / 2, colour)


def rect(img, x0, y0, x1, y1, colour):
    for y in range(y0, y1):
        for x in range(x0, x1):
            img[y][x] = colour


# --- glyphs (16 x 16); each drawing takes its main colour --------------------------------
def glyph_tick(colour):
    g = canvas(16, 16, MAGENTA)
    thick_line(g, [(3, 8.5), (6.5, 12), (13, 4)], colour, 2.4)
    return g


def glyph_connect(colour):
    # A plug entering a socket: two prongs, a body and a cable.
    g = canvas(16, 16, MAGENTA)
    rect(g, 2, 5, 4, 7, colour)
    rect(g, 2, 9, 4, 11, colour)
    rect(g, 4, 3, 9, 13, colour)
    thick_line(g, [(9, 8), (14, 8)], colour, 2.0)
    return g


def glyph_disconnect(colour):
    # A cross: the link cut.
    g = canvas(16, 16, MAGENTA)
    thick_line(g, [(3.5, 3.5), (12.5, 12.5)], colour, 2.6)
    thick_line(g, [(12.5, 3.5), (3.5, 12.5)], colour, 2.6)
    return g


def glyph_minimise(colour):
    # An arrow down onto a bar.
    g = canvas(16, 16, MAGENTA)
    thick_line(g, [(8, 2), (8, 9)], colour, 2.2)
    thick_line(g, [(4, 6), (8, 10), (12, 6)], colour, 2.2)
    rect(g, 3, 12, 13, 14, colour)
    return g


def side_by_side(a, b):
    return [ra + rb for ra, rb in zip(a, b)]


# --- file formats ------------------------------------------------------------------------
def bmp24(img):
    h, w = len(img), len(img[0])
    row_bytes = (w * 3 + 3) & ~3
    pixels = b""
    for row in reversed(img):
        line = b"".join(struct.pack("BBB", b, g, r) for (r, g, b) in row)
        pixels += line + b"\0" * (row_bytes - len(line))
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    return file_header + header + pixels


def icon_image(img):
    """One icon image: 32-bit BGRA DIB (height doubled) and its AND mask."""
    size = len(img)
    xor = b""
    mask = b""
    mask_row_bytes = ((size + 31) // 32) * 4
    for row in reversed(img):
        for (r, g, b, a) in row:
            xor += struct.pack("BBBB", b, g, r, a)
        mask_bits = [0 if p[3] else 1 for p in row]
        line = bytearray(mask_row_bytes)
        for x, bit in enumerate(mask_bits):
            if bit:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(line)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0,
                         0, 0, 0)
    return header + xor + mask


def app_icon(size):
    """The supervisor's sign: a database drum watched by a green ring."""
    s = size / 16.0
    img = [[(0, 0, 0, 0) for _ in range(size)] for _ in range(size)]

    def put_disc(cx, cy, r, colour):
        for y in range(size):
            for x in range(size):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    img[y][x] = colour

    put_disc(8 * s, 8 * s, 7.6 * s, (20, 120, 60, 255))
    put_disc(8 * s, 8 * s, 6.0 * s, (255, 255, 255, 255))
    body = (30, 80, 170, 255)
    top = (90, 150, 230, 255)
    x0, x1 = int(4.5 * s), int(11.5 * s)
    for y in range(int(5 * s), int(11.5 * s)):
        for x in range(x0, x1):
            img[y][x] = body
    for y in range(size):
        for x in range(x0, x1):
            cx, cy = 8 * s, 5 * s
            if ((x + 0.5 - cx) / (3.5 * s)) ** 2 + ((y + 0.5 - cy) / (1.3 * s)) ** 2 <= 1:
                img[y][x] = top
            cy = 11.3 * s
            if ((x + 0.5 - cx) / (3.5 * s)) ** 2 + ((y + 0.5 - cy) / (1.3 * s)) ** 2 <= 1 and \
                    y + 0.5 > cy:
                img[y][x] = body
    return img


def ico(sizes):
    images = [icon_image(app_icon(n)) for n in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def main():
    write("virazuzor.ico", ico([16, 32, 48]))
    write("conectar.bmp", bmp24(side_by_side(glyph_connect((0, 140, 0)), glyph_connect(GREY))))
    write("desconectar.bmp",
          bmp24(side_by_side(glyph_disconnect((200, 0, 0)), glyph_disconnect(GREY))))
    write("minimizar.bmp",
          bmp24(side_by_side(glyph_minimise((0, 70, 170)), glyph_minimise(GREY))))
    write("ok.bmp", bmp24(side_by_side(glyph_tick((0, 150, 0)), glyph_tick(GREY))))


if __name__ == "__main__":
    main()
