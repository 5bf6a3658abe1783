#!/usr/bin/env python3
"""Draws the map of the demo regions and writes the demo's map files.

Writes samples/demo/MAP/map.bmp (24-bit BMP: white region areas with black borders on white,
zone borders drawn thicker), MAP.TXT (a region code, then "X Y" of a point inside its area)
and colors.inf (colour bands). The districts are the cells of a Voronoi diagram of fixed
points inside an irregular oval; the three towns are small round areas inside them. Run it
again after changing the layout below; the output is the same on every run.
"""
import math
import os
import struct

WIDTH, HEIGHT = 800, 600
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "samples", "demo", "MAP")

# code: (x, y) of the district's centre; the zone is the code's first two digits.
DISTRICTS = {
    "1101": (150, 200), "1102": (285, 115), "1103": (450, 95), "1104": (625, 150),
    "1105": (370, 215),
    "1202": (115, 330), "1203": (255, 315), "1204": (425, 330), "1205": (575, 290),
    "1206": (700, 320),
    "1301": (165, 440), "1302": (300, 470), "1303": (440, 450), "1304": (570, 430),
    "1305": (690, 420), "1306": (390, 545),
}
# code: (x, y, radius) of the towns.
TOWNS = {"1106": (470, 150, 20), "1201": (340, 330, 22), "1307": (250, 500, 20)}
# Where each label starts, relative to the centre (labels are printed to the right).
LABEL_SHIFT = {"1106": (-18, -4), "1201": (-20, -4), "1307": (-18, -4), "1204": (-40, 15),
               "1306": (-40, -20)}
DEFAULT_SHIFT = (-40, -4)

COLORS = ["0 0.25 10", "0.25 0.5 14", "0.5 0.75 12", "0.75 1 4"]


def inside_territory(x, y):
    dx, dy = (x - 400) / 360.0, (y - 310) / 265.0
    angle = math.atan2(dy, dx)
    radius = 1 + 0.06 * math.sin(3 * angle) + 0.04 * math.cos(5 * angle + 1)
    return dx * dx + dy * dy <= radius * radius


def region_at(x, y):
    if not inside_territory(x, y):
        return None
    for code, (tx, ty, r) in TOWNS.items():
        if (x - tx) ** 2 + (y - ty) ** 2 <= r * r:
            return code
    return min(DISTRICTS, key=lambda c: (x - DISTRICTS[c][0]) ** 2 + (y - DISTRICTS[c][1]) ** 2)


def main():
    ids = [[region_at(x, y) for x in range(WIDTH)] for y in range(HEIGHT)]
    black = [[False] * WIDTH for _ in range(HEIGHT)]
    for y in range(HEIGHT):
        for x in range(WIDTH):
            here = ids[y][x]
            for nx, ny in ((x + 1, y), (x, y + 1)):
                if nx >= WIDTH or ny >= HEIGHT or ids[ny][nx] == here:
                    continue
                other = ids[ny][nx]
                black[y][x] = True
                # The outline and the borders between zones are three pixels wide.
                if here is None or other is None or here[:2] != other[:2]:
                    for ty in range(y - 1, y + 2):
                        for tx in range(x - 1, x + 2):
                            if 0 <= tx < WIDTH and 0 <= ty < HEIGHT:
                                black[ty][tx] = True

    points = {}
    for code in list(DISTRICTS) + list(TOWNS):
        cx, cy = DISTRICTS[code] if code in DISTRICTS else TOWNS[code][:2]
        sx, sy = LABEL_SHIFT.get(code, DEFAULT_SHIFT)
        x, y = cx + sx, cy + sy
        if ids[y][x] != code or black[y][x]:
            raise SystemExit("the point of %s is not inside its area" % code)
        points[code] = (x, y)

    os.makedirs(OUT, exist_ok=True)
    row_size = (WIDTH * 3 + 3) // 4 * 4
    pixels = bytearray()
    for y in reversed(range(HEIGHT)):
        row = bytearray()
        for x in range(WIDTH):
            row += b"\x00\x00\x00" if black[y][x] else b"\xff\xff\xff"
        pixels += row + b"\x00" * (row_size - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    with open(os.path.join(OUT, "map.bmp"), "wb") as f:
        f.write(header + info + pixels)

    lines = ["Краснопольская область: районы и города"]
    for code in sorted(points):
        lines += [code, "%d %d" % points[code]]
    with open(os.path.join(OUT, "MAP.TXT"), "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp1251"))
    with open(os.path.join(OUT, "colors.inf"), "wb") as f:
        f.write(("\r\n".join(COLORS) + "\r\n").encode("cp1251"))


if __name__ == "__main__":
    main()
