#!/usr/bin/env python3
"""Writes a map-like PNG of any size without holding it: usage make_map_png.py OUT WIDTH HEIGHT.

Blocks of land colour with a little noise, one-pixel roads every few hundred
pixels each way; rows deflated as they are made, so a
gigapixel map takes seconds and little memory to write.
"""
import random
import struct
import sys
import zlib

out, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
random.seed(25)
BLOCK = 256
ROAD = bytes((40, 40, 40))


def segment(colour):
    pixels = bytearray()
    for x in range(BLOCK):
        if x in (97, 211):
            pixels += ROAD
        else:
            pixels += bytes(max(0, min(255, c + random.randint(-6, 6))) for c in colour)
    return bytes(pixels)


lands = [(random.randint(60, 200), random.randint(90, 220), random.randint(40, 160)) for _ in range(12)]
segments = [segment(lands[i % len(lands)]) for i in range(48)]
road_row = ROAD * width


# A handful of distinct rows per band of blocks, filtered once each.
def rows_for(by):
    made = []
    for variant in range(4):
        row = b"".join(segments[(bx * 7 + by * 13 + variant * 5) % len(segments)]
                       for bx in range((width + BLOCK - 1) // BLOCK))[: 3 * width]
        made.append(b"\x00" + row)
    return made


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


with open(out, "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n")
    f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
    deflate = zlib.compressobj(6)
    pending = bytearray()
    band, by = None, -1
    for y in range(height):
        if y // BLOCK != by:
            by = y // BLOCK
            band = rows_for(by)
        row = b"\x00" + road_row if y % 89 == 0 else band[(y * 2654435761 >> 7) % 4]
        pending += deflate.compress(row)
        if len(pending) >= 1 << 20:
            f.write(chunk(b"IDAT", bytes(pending)))
            pending.clear()
    pending += deflate.flush()
    f.write(chunk(b"IDAT", bytes(pending)))
    f.write(chunk(b"IEND", b""))
