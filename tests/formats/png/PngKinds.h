#pragma once

#include <string>

// A Python script (Pillow at hand) that writes a PNG of any colour type, bit
// depth and interlacing, which Pillow itself can't: sys.argv[1] is the file,
// sys.argv[2] a dict of width, height, colour type, depth, interlace and
// whether a tRNS chunk is added; 'claim' gives the header other sides than the
// pixels', 'idat' splits the pixel data into chunks of that many bytes. With sys.argv[3] it
// also writes there what Pillow reads from the file, laid over the window's background as 8-bit RGB.
inline const std::string kPngKindsScript = R"(
import struct, zlib
shape = eval(sys.argv[2])
w, h, ct, depth = shape['w'], shape['h'], shape['ct'], shape['depth']
channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[ct]
top = (1 << depth) - 1
def sample(x, y, c):
    if c == channels - 1 and ct in (4, 6):
        return (x * 37 + y * 91) % (top + 1) if depth <= 8 else (x * 5003 + y * 911) % (top + 1)
    v = x * 13 + y * 29 + c * 71 + x * y
    return (v * 397 if depth == 16 else v) % (top + 1)
def chunk(kind, data):
    body = kind + data
    return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xffffffff)
def row_bytes(xs, y):
    bits, out = [], bytearray()
    for x in xs:
        for c in range(channels):
            v = sample(x, y, c)
            if depth == 16:
                out += struct.pack('>H', v)
            elif depth == 8:
                out.append(v)
            else:
                bits.append(v)
    if depth < 8:
        per = 8 // depth
        for i in range(0, len(bits), per):
            group = bits[i:i + per] + [0] * (per - len(bits[i:i + per]))
            b = 0
            for v in group:
                b = (b << depth) | v
            out.append(b)
    return bytes(out)
passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
raw = bytearray()
for (x0, y0, dx, dy) in (passes if shape.get('interlace') else [(0, 0, 1, 1)]):
    xs = list(range(x0, w, dx))
    if not xs:
        continue
    for y in range(y0, h, dy):
        raw += b'\0' + row_bytes(xs, y)
png = b'\x89PNG\r\n\x1a\n'
iw, ih = shape.get('claim', (w, h))
png += chunk(b'IHDR', struct.pack('>IIBBBBB', iw, ih, depth, ct, 0, 0, 1 if shape.get('interlace') else 0))
if ct == 3:
    png += chunk(b'PLTE', bytes((i * 53 + c * 97) % 256 for i in range(top + 1) for c in range(3)))
    if shape.get('trns'):
        png += chunk(b'tRNS', bytes((i * 41) % 256 for i in range(top + 1)))
elif shape.get('trns') and ct == 0:
    png += chunk(b'tRNS', struct.pack('>H', sample(1, 0, 0)))
elif shape.get('trns') and ct == 2:
    png += chunk(b'tRNS', struct.pack('>HHH', sample(1, 0, 0), sample(1, 0, 1), sample(1, 0, 2)))
data = zlib.compress(bytes(raw), 9)
step = shape.get('idat', len(data))
for at in range(0, len(data), step):
    png += chunk(b'IDAT', data[at:at + step])
png += chunk(b'IEND', b'')
open(sys.argv[1], 'wb').write(png)
if len(sys.argv) > 3:
    im = Image.open(sys.argv[1])
    im.load()
    if im.mode.startswith('I'):
        rgb = bytes(v >> 8 for v in im.getdata() for _ in range(3))
    else:
        back = (240, 240, 240)
        rgb = bytes((p[c] * p[3] + back[c] * (255 - p[3]) + 127) // 255
                    for p in im.convert('RGBA').getdata() for c in range(3))
    open(sys.argv[3], 'wb').write(rgb)
)";
