#!/usr/bin/env python3
"""Writes the small bitmap of the drawing test and the picture the drawing must give.

regions.bmp (48 x 32, 24-bit): a black frame split into three regions, a closed square in the
left one, a diamond of diagonal pixels (closed only for fills through the four neighbours) in
the lower right one. golden.png: the bitmap filled from the points the test uses, computed here
by a plain breadth-first search, independently of the program.
"""
import os
import struct
import zlib

W, H = 48, 32
WHITE, BLACK = (255, 255, 255), (0, 0, 0)
HERE = os.path.dirname(os.path.abspath(__file__))

# (x, y, colour) in the test's order; the colours are the standard ones by number.
PALETTE = {2: (0, 128, 0), 4: (128, 0, 0), 9: (0, 0, 255), 10: (0, 255, 0), 12: (255, 0, 0),
           14: (255, 255, 0)}
FILLS = [(6, 6, 10), (30, 8, 12), (40, 25, 9), (20, 10, 4), (100, 100, 2), (7, 7, 14)]


def bitmap():
    img = [[WHITE] * W for _ in range(H)]
    for x in range(4, 44):
        img[4][x] = img[27][x] = BLACK
    for y in range(4, 28):
        img[y][4] = img[y][43] = img[y][20] = BLACK
    for x in range(20, 44):
        img[15][x] = BLACK
    for x in range(8, 14):
        img[10][x] = img[15][x] = BLACK
    for y in range(10, 16):
        img[y][8] = img[y][13] = BLACK
    for dy in range(-3, 4):
        for dx in range(-3, 4):
            if abs(dx) + abs(dy) == 3:
                img[21 + dy][32 + dx] = BLACK
    return img


def fill(img, x, y, colour, surface):
    if not (0 <= x < W and 0 <= y < H) or img[y][x] != surface or colour == surface:
        return
    todo = [(x, y)]
    img[y][x] = colour
    while todo:
        px, py = todo.pop()
        for nx, ny in ((px + 1, py), (px - 1, py), (px, py + 1), (px, py - 1)):
            if 0 <= nx < W and 0 <= ny < H and img[ny][nx] == surface:
                img[ny][nx] = colour
                todo.append((nx, ny))


def write_bmp(path, img):
    row_size = (W * 3 + 3) // 4 * 4
    data = bytearray()
    for y in reversed(range(H)):
        row = b"".join(bytes((b, g, r)) for r, g, b in img[y])
        data += row + b"\0" * (row_size - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def write_png(path, img):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(
            ">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in img)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    img = bitmap()
    write_bmp(os.path.join(HERE, "regions.bmp"), img)
    surface = img[0][0]
    for x, y, colour in FILLS:
        fill(img, x, y, PALETTE[colour], surface)
    write_png(os.path.join(HERE, "golden.png"), img)


if __name__ == "__main__":
    main()
