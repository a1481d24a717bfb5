#!/usr/bin/python3
"""A 16-colour map of 16-pixel tiles, and its next export with a dozen tiles changed.

usage: make_tile_map.py OUT.png NEXT.png [SIZE]   (SIZE a multiple of 16, 4096 by default)
For trying the grid, the majority reduction and the copied command by hand.
"""
import math
import random
import sys

from PIL import Image

out, nxt = sys.argv[1], sys.argv[2]
size = int(sys.argv[3]) if len(sys.argv) > 3 else 4096
T = 16
PALETTE = [(20, 12, 28), (68, 36, 52), (48, 52, 109), (78, 74, 78), (133, 76, 48), (52, 101, 36),
           (208, 70, 72), (117, 113, 97), (89, 125, 206), (210, 125, 44), (133, 149, 161), (109, 170, 44),
           (210, 170, 153), (109, 194, 202), (218, 212, 94), (222, 238, 214)]


def tile(base, dots, seed, shape=None):
    rnd = random.Random(seed)
    px = [[base] * T for _ in range(T)]
    for colour, count in dots:
        for _ in range(count):
            px[rnd.randrange(T)][rnd.randrange(T)] = colour
    if shape:
        shape(px)
    return px


def tree(px):
    for y in range(T):
        for x in range(T):
            if (x - 7.5) ** 2 + (y - 6) ** 2 < 30:
                px[y][x] = 11 if (x + y) % 5 else 5
    for y in range(11, 15):
        px[y][7] = px[y][8] = 4


def house(px):
    for y in range(T):
        for x in range(T):
            px[y][x] = 6 if y < 7 and abs(x - 7.5) < y + 1.5 else (4 if 2 <= x <= 13 and y >= 7 else 11)
    for y in range(10, 16):
        px[y][7] = px[y][8] = 0


def road_ns(px):
    for y in range(T):
        for x in range(4, 12):
            px[y][x] = 12 if 5 <= x <= 10 else 7


def road_ew(px):
    for y in range(4, 12):
        for x in range(T):
            px[y][x] = 12 if 5 <= y <= 10 else 7


KINDS = {
    "deep": [tile(2, [(8, 10)], s) for s in range(3)],
    "water": [tile(8, [(13, 12), (2, 4)], 10 + s) for s in range(3)],
    "sand": [tile(14, [(9, 14), (12, 6)], 20 + s) for s in range(3)],
    "grass": [tile(11, [(5, 18), (14, 2)], 30 + s) for s in range(4)],
    "forest": [tile(5, [(0, 6)], 40 + s, tree) for s in range(2)],
    "rock": [tile(7, [(10, 16), (3, 16), (15, 3)], 50 + s) for s in range(3)],
    "road_ns": [tile(7, [], 60, road_ns)],
    "road_ew": [tile(7, [], 61, road_ew)],
    "house": [tile(11, [], 70, house)],
    "snow": [tile(15, [(10, 10), (13, 4)], 80 + s) for s in range(2)],
    "lava": [tile(1, [(6, 20), (9, 8)], 90 + s) for s in range(2)],
}

n = size // T


def height(tx, ty):
    u, v = tx / n, ty / n
    return (math.sin(u * 9.1 + 1.3) + math.sin(v * 7.7 + 0.4) + 0.6 * math.sin((u + v) * 23.0)
            + 0.3 * math.sin(u * 51.0 - v * 37.0))


def kind_at(tx, ty):
    if tx % 32 == 9:
        return "road_ns"
    if ty % 32 == 21:
        return "road_ew"
    h = height(tx, ty)
    if h < -1.2:
        return "deep"
    if h < -0.6:
        return "water"
    if h < -0.4:
        return "sand"
    if h < 0.5:
        return "grass"
    if h < 1.1:
        return "forest"
    if h < 1.9:
        return "rock"
    if h < 2.3:
        return "snow"
    return "lava"


def render(kinds):
    rows = []
    for ty in range(n):
        tiles = []
        for tx in range(n):
            variants = KINDS[kinds[ty][tx]]
            tiles.append(variants[(tx * 7 + ty * 13) % len(variants)])
        for y in range(T):
            rows.append(bytes(c for t in tiles for c in t[y]))
    img = Image.frombytes("P", (size, size), b"".join(rows))
    img.putpalette([c for rgb in PALETTE for c in rgb])
    return img


kinds = [[kind_at(tx, ty) for tx in range(n)] for ty in range(n)]
render(kinds).save(out, optimize=False)
# The next export: a village of a dozen houses built a quarter of the way in.
rnd = random.Random(27)
for _ in range(12):
    tx, ty = n // 4 + rnd.randrange(max(1, n * 3 // 32)), n // 4 + rnd.randrange(max(1, n * 3 // 32))
    kinds[ty][tx] = "house"
render(kinds).save(nxt, optimize=False)
