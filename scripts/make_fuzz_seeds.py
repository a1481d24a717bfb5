#!/usr/bin/python3
"""Makes the fuzzers' seed corpus: small pictures of each kind the readers
and the header probe take, whole and cut short, and pixel rows for the Targa
encoder.

Usage: make_fuzz_seeds.py OUT_DIR  (writes OUT_DIR/<target>/...)
"""
import io
import os
import struct
import sys
import zlib

from PIL import Image


def pattern(width, height, mode="RGB"):
    image = Image.new("RGB", (width, height))
    image.putdata([((x * 37) % 256, (y * 59) % 256, ((x + y) * 11) % 256)
                   for y in range(height) for x in range(width)])
    return image.convert(mode)


def saved(image, kind, **options):
    out = io.BytesIO()
    image.save(out, kind, **options)
    return out.getvalue()


def with_cuts(name, data):
    """The file whole, and cut at a tenth, a half and nine tenths."""
    yield name, data
    for tenth in (1, 5, 9):
        yield f"{name}-cut{tenth}", data[: len(data) * tenth // 10]


def rle8_bmp(width, height):
    """An 8-bit run-length encoded BMP, which Pillow does not write."""
    rows = b""
    for y in range(height):
        rows += bytes([width, y % 256]) + b"\x00\x00"
    rows += b"\x00\x01"
    palette = b"".join(bytes([i, i, i, 0]) for i in range(256))
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 1, len(rows), 2835, 2835, 256, 0)
    head = b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset)
    return head + info + palette + rows


def jpegs():
    yield "baseline", saved(pattern(24, 16), "JPEG", quality=80)
    yield "progressive", saved(pattern(33, 17), "JPEG", quality=60, progressive=True)
    yield "grey", saved(pattern(16, 16, "L"), "JPEG")
    yield "full-chroma", saved(pattern(9, 7), "JPEG", subsampling=0)
    yield "cmyk", saved(pattern(8, 8, "CMYK"), "JPEG")
    for orientation in (3, 6, 8):
        exif = Image.Exif()
        exif[0x0112] = orientation
        yield f"upright-{orientation}", saved(pattern(20, 12), "JPEG", exif=exif)


def bmps():
    yield "rgb24", saved(pattern(7, 5), "BMP")
    yield "palette8", saved(pattern(9, 4, "P"), "BMP")
    yield "mono", saved(pattern(13, 3, "1"), "BMP")
    yield "rgba32", saved(pattern(5, 5, "RGBA"), "BMP")
    yield "rle8", rle8_bmp(10, 6)


def gifs():
    yield "still", saved(pattern(12, 10, "P"), "GIF")
    yield "interlaced", saved(pattern(20, 9, "P"), "GIF", interlace=True)
    frames = [pattern(8, 8, "P"), pattern(8, 8, "P").rotate(90)]
    yield "animated", saved(frames[0], "GIF", save_all=True, append_images=frames[1:], loop=0, duration=50)
    yield "transparent", saved(pattern(6, 6, "P"), "GIF", transparency=0)


def tga_rows():
    """Two bytes of width less one, then the pixels."""
    yield "one-pixel", b"\x00\x00" + b"\x01\x02\x03"
    yield "runs", b"\x05\x00" + b"\x10\x20\x30" * 3 + b"\x01\x02\x03" + b"\x07\x07\x07" * 2
    yield "row-joins", b"\x02\x00" + b"\x09\x09\x09" * 6
    yield "raw-129", b"\x80\x00" + bytes(range(256)) * 2 + bytes(range(131))
    yield "run-130", b"\x81\x00" + b"\xAA\xBB\xCC" * 130


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def interlaced_png(width, height, depth=8):
    """An Adam7 interlaced grey PNG, which Pillow does not write."""
    passes = ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2))
    raw = b""
    for x0, y0, dx, dy in passes:
        columns = len(range(x0, width, dx))
        for y in range(y0, height, dy):
            if columns:
                row = [(x * 37 + y * 59) % 256 for x in range(x0, width, dx)]
                raw += b"\x00" + (bytes(row) if depth == 8 else b"".join(bytes([v, v]) for v in row))
    head = struct.pack(">IIBBBBB", width, height, depth, 0, 0, 0, 1)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", head) + png_chunk(b"IDAT", zlib.compress(raw))
            + png_chunk(b"IEND", b""))


def pngs():
    yield "rgb", saved(pattern(11, 7), "PNG")
    yield "rgba", saved(pattern(6, 9, "RGBA"), "PNG")
    yield "grey", saved(pattern(10, 10, "L"), "PNG")
    yield "grey-alpha", saved(pattern(5, 4, "LA"), "PNG")
    yield "palette", saved(pattern(12, 5, "P"), "PNG")
    yield "mono", saved(pattern(17, 3, "1"), "PNG")
    yield "grey16", saved(pattern(7, 6, "L").convert("I").point(lambda v: v * 257), "PNG")
    yield "interlaced", interlaced_png(13, 11)
    yield "interlaced16", interlaced_png(9, 10, 16)


def write(folder, seeds):
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds:
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


def main():
    out = sys.argv[1]
    for target, seeds in (("fuzz_jpeg_reader", jpegs()), ("fuzz_bmp_reader", bmps()),
                          ("fuzz_gif_reader", gifs()), ("fuzz_png_reader", pngs())):
        write(os.path.join(out, target), (cut for name, data in seeds for cut in with_cuts(name, data)))
    write(os.path.join(out, "fuzz_tga_rle"), tga_rows())
    headers = [*jpegs(), *bmps(), *gifs(), *pngs()]
    write(os.path.join(out, "fuzz_picture_header"), (cut for name, data in headers for cut in with_cuts(name, data)))


if __name__ == "__main__":
    main()
