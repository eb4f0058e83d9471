#!/usr/bin/env python3
"""Draws the program's icon, a monitor showing a clock, at 32x32 and 16x16 in
the 16 standard Windows/VGA colours, and writes quillory.ico (4-bit images with
AND masks, for the Windows resource) and icons/quillory-16.png and -32.png.

    make_icons.py            rewrite the files beside this script
    make_icons.py --check    exit 1 if the committed files differ from a fresh drawing
"""
import os
import struct
import sys
import zlib

# The 16-colour palette of Windows icons, in its usual index order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, NAVY, TEAL, SILVER, GREY, RED, BLUE, WHITE = 0, 4, 6, 7, 8, 9, 12, 15
CLEAR = None  # transparent: AND mask bit set


class Canvas:
    def __init__(self, size):
        self.size = size
        self.pixels = [[CLEAR] * size for _ in range(size)]

    def rect(self, left, top, right, bottom, colour):
        """Fills the inclusive pixel rectangle."""
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                self.pixels[y][x] = colour

    def framed_rect(self, left, top, right, bottom, fill, frame=BLACK):
        self.rect(left, top, right, bottom, frame)
        self.rect(left + 1, top + 1, right - 1, bottom - 1, fill)

    def disc(self, cx, cy, radius, colour):
        """Fills the pixels whose centres lie within radius of pixel (cx, cy)."""
        for y in range(self.size):
            for x in range(self.size):
                if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius:
                    self.pixels[y][x] = colour


def draw_monitor(size):
    """The emblem: a framed monitor on a stand, a clock face on its screen with
    the hands at three o'clock. Coordinates are laid out per size so that every
    line falls on whole pixels."""
    c = Canvas(size)
    if size == 32:
        c.framed_rect(1, 2, 29, 24, SILVER)          # case
        c.rect(2, 3, 28, 3, WHITE)                    # light from above
        c.rect(2, 23, 28, 23, GREY)                   # shade below
        c.framed_rect(4, 5, 26, 21, NAVY)             # screen
        c.disc(15, 13, 6.5, BLACK)                    # clock rim
        c.disc(15, 13, 5.5, WHITE)                    # clock face
        for x, y in ((15, 8), (20, 13), (15, 18), (10, 13)):
            c.rect(x, y, x, y, GREY)                  # marks at 12, 3, 6 and 9
        c.rect(15, 9, 15, 13, BLACK)                  # minute hand to 12
        c.rect(16, 13, 18, 13, RED)                   # hour hand to 3
        c.framed_rect(12, 24, 18, 27, GREY)           # neck
        c.framed_rect(7, 27, 23, 30, SILVER)          # foot
        c.rect(8, 28, 22, 28, WHITE)
    elif size == 16:
        c.framed_rect(0, 0, 14, 12, SILVER)           # case
        c.framed_rect(2, 2, 12, 10, NAVY)             # screen
        c.disc(7, 6, 2.5, WHITE)                      # clock face
        c.rect(7, 4, 7, 6, BLACK)                     # minute hand to 12
        c.rect(8, 6, 9, 6, RED)                       # hour hand to 3
        c.rect(5, 13, 9, 13, BLACK)                   # neck
        c.rect(6, 13, 8, 13, GREY)
        c.rect(3, 14, 11, 15, BLACK)                  # foot
        c.rect(4, 14, 10, 14, SILVER)
    else:
        raise ValueError(size)
    return c.pixels


def ico_image(pixels):
    """One icon image: BITMAPINFOHEADER, palette, 4-bit colour rows, 1-bit AND mask."""
    size = len(pixels)
    colour_row = (size * 4 + 31) // 32 * 4
    mask_row = (size + 31) // 32 * 4
    colours, mask = bytearray(), bytearray()
    for row in reversed(pixels):  # bitmaps are stored bottom-up
        packed = bytearray(colour_row)
        bits = bytearray(mask_row)
        for x, colour in enumerate(row):
            index = 0 if colour is CLEAR else colour
            packed[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if colour is CLEAR:
                bits[x // 8] |= 0x80 >> (x % 8)
        colours += packed
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(colours) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(colours) + bytes(mask)


def ico_file(images):
    """An icon group: ICONDIR, one ICONDIRENTRY per (size, image), then the images."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png_file(pixels):
    """An 8-bit palette PNG: the 16 colours, then one fully transparent entry."""
    size = len(pixels)
    transparent = len(PALETTE)
    raw = b"".join(b"\0" + bytes(transparent if colour is CLEAR else colour for colour in row) for row in pixels)
    return (b"\x89PNG\r\n\x1a\n"
            + png_chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 3, 0, 0, 0))
            + png_chunk(b"PLTE", b"".join(bytes(rgb) for rgb in PALETTE + [(0, 0, 0)]))
            + png_chunk(b"tRNS", bytes([255] * len(PALETTE) + [0]))
            + png_chunk(b"IDAT", zlib.compress(raw, 9))
            + png_chunk(b"IEND", b""))


def png_content(data):
    """The chunks of a PNG with its image data inflated, so that two files can
    be compared independently of how zlib compressed them."""
    chunks, pos, idat = [], 8, b""
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        if kind == b"IDAT":
            idat += body
        else:
            chunks.append((kind, body))
        pos += 12 + length
    return chunks, zlib.decompress(idat)


def drawings():
    """File name (relative to this folder) -> bytes."""
    big, small = draw_monitor(32), draw_monitor(16)
    return {
        "quillory.ico": ico_file([(32, ico_image(big)), (16, ico_image(small))]),
        os.path.join("icons", "quillory-32.png"): png_file(big),
        os.path.join("icons", "quillory-16.png"): png_file(small),
    }


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    check = sys.argv[1:] == ["--check"]
    stale = []
    for name, data in drawings().items():
        path = os.path.join(here, name)
        if check:
            with open(path, "rb") as f:
                committed = f.read()
            same = png_content(committed) == png_content(data) if name.endswith(".png") else committed == data
            if not same:
                stale.append(name)
        else:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
    if stale:
        print("out of date, run resources/make_icons.py:", ", ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
