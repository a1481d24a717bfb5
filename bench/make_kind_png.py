#!/usr/bin/env python3
"""Writes a large PNG of one shape without holding it, for the memory budget's
measurements: usage make_kind_png.py OUT WIDTH HEIGHT SHAPE [interlaced].

SHAPE is rgb8, rgb16, rgba8, grey1 or palette-trns (a palette with a
transparent entry). Rows repeat a few kilobytes of noise, so the file is
small and what a decode holds is all pixels.
"""
import os
import struct
import sys
import zlib

SHAPES = {  # bit depth, colour type, samples a pixel
    "rgb8": (8, 2, 3),
    "rgb16": (16, 2, 3),
    "rgba8": (8, 6, 4),
    "grey1": (1, 0, 1),
    "palette-trns": (8, 3, 1),
}
# Adam7: each pass's first column and row, and its steps across and down.
PASSES = ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2),
          (0, 1, 1, 2))


def chunk(out, kind, data):
    out.write(struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data)))


def main():
    path, width, height, shape = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    interlaced = len(sys.argv) > 5 and sys.argv[5] == "interlaced"
    depth, colour, samples = SHAPES[shape]
    noise = os.urandom(3001) * 40
    passes = PASSES if interlaced else ((0, 0, 1, 1),)
    deflate = zlib.compressobj(6)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        chunk(out, b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, int(interlaced)))
        if shape == "palette-trns":
            chunk(out, b"PLTE", b"".join(bytes((i, 255 - i, i // 2)) for i in range(256)))
            chunk(out, b"tRNS", b"\x00")
        data = bytearray()
        row = 0
        for x0, y0, dx, dy in passes:
            columns = len(range(x0, width, dx))
            size = (columns * depth * samples + 7) // 8
            for _ in range(y0, height, dy):
                if not columns:
                    break
                start = (row * 7919) % 3001
                data += b"\x00" + noise[start:start + size]
                row += 1
                if len(data) > 1 << 22:
                    chunk(out, b"IDAT", deflate.compress(bytes(data)))
                    data.clear()
        chunk(out, b"IDAT", deflate.compress(bytes(data)) + deflate.flush())
        chunk(out, b"IEND", b"")


if __name__ == "__main__":
    main()
