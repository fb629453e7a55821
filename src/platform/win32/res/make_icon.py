#!/usr/bin/env python3
"""Draws the program's window icon and writes it as a 16-colour .ico.

The picture is a keyboard key seen slightly from above, its lock light lit
green, with the caps arrow on its face. Two images: 32x32 and 16x16, each
drawn on its own pixel grid (a scaled-down 32x32 would lose the light).

    python3 make_icon.py                 # rewrites lumio.ico beside this file
    python3 make_icon.py --preview a.png # also writes an 8x enlarged preview

Standard library only, so that anyone can rebuild the icon.
"""

import argparse
import os
import struct
import zlib

# The classic 16-colour palette, as (R, G, B), in its usual order.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_GREEN, SILVER, GREY, LIME, WHITE = 0, 2, 7, 8, 10, 15
CLEAR = None  # transparent: the AND mask shows the background


class Canvas:
    def __init__(self, size):
        self.size = size
        self.pixels = [[CLEAR] * size for _ in range(size)]

    def put(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def rounded(self, x0, y0, x1, y1, colour, corner):
        """A filled rectangle with its corners cut diagonally."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                dx = min(x - x0, x1 - x)
                dy = min(y - y0, y1 - y)
                if dx + dy >= corner:
                    self.put(x, y, colour)

    def disc(self, cx, cy, radius, colour):
        for y in range(int(cy - radius) - 1, int(cy + radius) + 2):
            for x in range(int(cx - radius) - 1, int(cx + radius) + 2):
                if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius:
                    self.put(x, y, colour)


def draw_key(size):
    c = Canvas(size)
    if size >= 32:
        c.rounded(1, 2, 30, 29, BLACK, 3)     # outline
        c.rounded(2, 3, 29, 28, GREY, 3)      # the key's sloping sides
        c.rounded(4, 4, 27, 23, SILVER, 2)    # its top face
        c.rect(5, 4, 25, 4, WHITE)            # light from the top left
        c.rect(4, 5, 4, 21, WHITE)
        # the caps arrow: a hollow head, a stem and the bar under it
        for row in range(6):
            c.put(11 - row, 8 + row, BLACK)
            c.put(11 + row, 8 + row, BLACK)
        c.rect(6, 13, 8, 13, BLACK)
        c.rect(14, 13, 16, 13, BLACK)
        c.rect(8, 13, 8, 17, BLACK)
        c.rect(14, 13, 14, 17, BLACK)
        c.rect(8, 17, 14, 17, BLACK)
        c.rect(8, 19, 14, 20, BLACK)
        # the lock light, lit
        c.disc(22.5, 9.5, 3.2, DARK_GREEN)
        c.disc(22.5, 9.5, 2.3, LIME)
        c.put(21, 8, WHITE)
        c.rect(3, 25, 28, 25, BLACK)          # the face's front edge
    else:
        c.rounded(0, 1, 15, 15, BLACK, 2)
        c.rounded(1, 2, 14, 14, GREY, 2)
        c.rounded(2, 2, 13, 11, SILVER, 1)
        c.rect(3, 2, 12, 2, WHITE)
        c.rect(2, 3, 2, 10, WHITE)
        c.put(6, 4, BLACK)
        c.rect(5, 5, 7, 5, BLACK)
        c.rect(4, 6, 8, 6, BLACK)
        c.rect(5, 7, 7, 8, BLACK)
        c.rect(5, 10, 7, 10, BLACK)
        c.disc(11, 5, 1.6, DARK_GREEN)
        c.rect(10, 4, 11, 5, LIME)
        c.rect(2, 12, 13, 12, BLACK)
    return c


def icon_image(canvas):
    """BITMAPINFOHEADER, palette, 4-bit XOR image and 1-bit AND mask."""
    size = canvas.size
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor_rows, and_rows = [], []
    for y in reversed(range(size)):  # bottom-up
        row = canvas.pixels[y]
        xor = bytearray(xor_stride)
        mask = bytearray(and_stride)
        for x, colour in enumerate(row):
            index = 0 if colour is CLEAR else colour
            xor[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if colour is CLEAR:
                mask[x // 8] |= 0x80 >> (x % 8)
        xor_rows.append(bytes(xor))
        and_rows.append(bytes(mask))
    pixels = b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(pixels), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + pixels


def ico_bytes(canvases):
    images = [icon_image(c) for c in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for canvas, image in zip(canvases, images):
        out += struct.pack("<BBBBHHII", canvas.size, canvas.size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def preview_png(canvases, scale):
    """Both images side by side on a checkerboard, enlarged."""
    gap = 4
    width = sum(c.size for c in canvases) * scale + gap * scale * (len(canvases) + 1)
    height = max(c.size for c in canvases) * scale + 2 * gap * scale
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            shade = 220 if ((x // (4 * scale)) + (y // (4 * scale))) % 2 else 250
            row += bytes((shade, shade, shade))
        rows.append(row)
    left = gap * scale
    for c in canvases:
        for y in range(c.size * scale):
            for x in range(c.size * scale):
                colour = c.pixels[y // scale][x // scale]
                if colour is not CLEAR:
                    px = (left + x) * 3
                    rows[gap * scale + y][px:px + 3] = bytes(PALETTE[colour])
        left += (c.size + gap) * scale
    raw = b"".join(b"\x00" + bytes(r) for r in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


# --- PNG icons for the Linux desktop (hicolor theme) ------------------------
#
#   python3 make_icon.py --png-dir ../../../../packaging/linux/icons
#
# writes lumio-capslock-16.png, -32.png and -48.png there: the same key as
# the .ico. Menus ask for 48 px too, so that size gets its own pixel grid
# rather than a blurred 32.

PNG_SIZES = (16, 32, 48)


def draw_key_48():
    c = Canvas(48)
    c.rounded(1, 3, 46, 44, BLACK, 5)       # outline
    c.rounded(2, 4, 45, 43, GREY, 5)        # the key's sloping sides
    c.rounded(6, 6, 41, 35, SILVER, 3)      # its top face
    c.rect(8, 6, 39, 6, WHITE)              # light from the top left
    c.rect(6, 8, 6, 33, WHITE)
    # the caps arrow, two pixels wide: hollow head, stem, bar under it
    for row in range(11):
        for dx in (0, 1):
            c.put(17 - row + dx, 11 + row, BLACK)
            c.put(17 + row - dx, 11 + row, BLACK)
    c.rect(7, 21, 12, 22, BLACK)
    c.rect(22, 21, 27, 22, BLACK)
    c.rect(11, 21, 12, 28, BLACK)
    c.rect(22, 21, 23, 28, BLACK)
    c.rect(11, 27, 23, 28, BLACK)
    c.rect(11, 31, 23, 33, BLACK)
    # the lock light, lit
    c.disc(33.5, 13.5, 4.8, DARK_GREEN)
    c.disc(33.5, 13.5, 3.5, LIME)
    c.rect(31, 11, 32, 11, WHITE)
    c.put(31, 12, WHITE)
    c.rect(5, 38, 42, 39, BLACK)            # the face's front edge
    return c


def png_bytes(canvas):
    """An RGBA PNG of one canvas; the clear pixels stay transparent."""
    rows = []
    for row in canvas.pixels:
        line = bytearray(b"\x00")
        for colour in row:
            line += bytes((0, 0, 0, 0)) if colour is CLEAR else bytes(PALETTE[colour]) + b"\xff"
        rows.append(bytes(line))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", canvas.size, canvas.size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) +
            chunk(b"IEND", b""))


def write_pngs(folder):
    os.makedirs(folder, exist_ok=True)
    for size in PNG_SIZES:
        canvas = draw_key_48() if size == 48 else draw_key(size)
        with open(os.path.join(folder, "lumio-capslock-%d.png" % size), "wb") as f:
            f.write(png_bytes(canvas))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", default=os.path.join(here, "lumio.ico"))
    parser.add_argument("--preview", help="also write an enlarged PNG of both images here")
    parser.add_argument("--png-dir", help="also write the Linux desktop icons (16, 32, 48 px PNG) here")
    args = parser.parse_args()
    canvases = [draw_key(32), draw_key(16)]
    with open(args.output, "wb") as f:
        f.write(ico_bytes(canvases))
    if args.preview:
        with open(args.preview, "wb") as f:
            f.write(preview_png(canvases, 8))
    if args.png_dir:
        write_pngs(args.png_dir)


if __name__ == "__main__":
    main()
