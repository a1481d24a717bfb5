#!/usr/bin/env python3
"""Draws Quarvel's icon and its provisional help picture into resources/.

The icon is 32 x 32 in the 16 colours of the classic palette; the help
picture is 638 x 455 and sketches the main window's four steps.
Run it again after changing a drawing: python3 scripts/make_resources.py
"""
import os

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources")

PALETTE16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER, GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(16)


def icon():
    """A small landscape photo with a red crop square over its corner."""
    img = Image.new("P", (32, 32), 0)
    img.putpalette([c for rgb in PALETTE16 for c in rgb])
    d = ImageDraw.Draw(img)
    d.rectangle([1, 3, 30, 28], fill=WHITE, outline=BLACK)
    d.rectangle([3, 5, 28, 26], fill=AQUA)
    d.ellipse([20, 7, 25, 12], fill=YELLOW)
    d.polygon([(3, 22), (10, 13), (16, 20), (21, 16), (28, 23), (28, 26), (3, 26)], fill=GREEN)
    d.polygon([(3, 26), (3, 23), (12, 19), (28, 25), (28, 26)], fill=LIME)
    for y in (14, 15):
        d.line([(6, y), (8, y)], fill=WHITE)
    d.rectangle([13, 12, 27, 26], outline=RED)
    d.rectangle([12, 11, 28, 27], outline=MAROON)
    img.save(os.path.join(OUT, "quarvel.png"), bits=4, optimize=True)


def font(size, bold=False):
    name = "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"
    for folder in ("/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/dejavu"):
        path = os.path.join(folder, name)
        if os.path.exists(path):
            return ImageFont.truetype(path, size)
    return ImageFont.load_default()


def frame(d, box, title, f):
    x0, y0, x1, y1 = box
    d.rectangle([x0, y0 + 6, x1, y1], outline=(160, 160, 160))
    d.rectangle([x0 + 1, y0 + 7, x1 + 1, y1 + 1], outline=(255, 255, 255))
    w = d.textlength(title, font=f)
    d.rectangle([x0 + 6, y0, x0 + 10 + w, y0 + 12], fill=(240, 240, 240))
    d.text((x0 + 8, y0), title, fill=(0, 0, 0), font=f)


def button(d, box, text, f):
    x0, y0, x1, y1 = box
    d.rectangle(box, fill=(232, 232, 232), outline=(120, 120, 120))
    w = d.textlength(text, font=f)
    d.text(((x0 + x1 - w) / 2, y0 + (y1 - y0 - 12) / 2), text, fill=(0, 0, 0), font=f)


def help_picture():
    """The window's four steps, each ringed in red and led to its numbered caption."""
    img = Image.new("RGB", (638, 455), (240, 240, 240))
    d = ImageDraw.Draw(img)
    small, caption, heading = font(11), font(12, bold=True), font(18, bold=True)
    red = (220, 0, 0)

    d.text((20, 14), "How to cut a mini-map picture with Quarvel", fill=(0, 0, 0), font=heading)
    d.rectangle([14, 44, 262, 440], fill=(240, 240, 240), outline=(90, 90, 90))
    frames = [
        ((24, 54, 252, 150), "1)   Open Your Picture"),
        ((24, 160, 252, 226), "2)   Select Your Size"),
        ((24, 236, 252, 300), "3)   Crop Your Picture"),
        ((24, 310, 252, 420), "4)   Save Your Picture And Exit"),
    ]
    for box, title in frames:
        frame(d, box, title, small)
    d.text((40, 76), "[file name]", fill=(0, 0, 0), font=small)
    button(d, (40, 96, 120, 118), "Open", small)
    button(d, (136, 96, 216, 118), "Refresh", small)
    for i, text in enumerate(("128 x 128", "256 x 256")):
        y = 182 + 20 * i
        d.ellipse([40, y, 50, y + 10], fill=(255, 255, 255), outline=(90, 90, 90))
        if i == 0:
            d.ellipse([43, y + 3, 47, y + 7], fill=(0, 0, 0))
        d.text((58, y - 2), text, fill=(0, 0, 0), font=small)
    button(d, (64, 260, 200, 286), "Make Your Selection", small)
    for i, text in enumerate(("Save", "Exit", "Help", "About")):
        x = 40 + 100 * (i % 2)
        y = 334 + 38 * (i // 2)
        button(d, (x, y, x + 80, y + 26), text, small)

    captions = [
        ("1)  Open a picture ( .JPG .BMP .GIF)", (30, 70, 246, 124), 100),
        ("2)  Select the croping size", (30, 174, 246, 222), 196),
        ("3)  Crop the selected size out of your picture", (56, 252, 208, 294), 272),
        ("4)  Save the new picture", (30, 326, 246, 414), 368),
    ]
    for text, ring, y in captions:
        d.ellipse(ring, outline=red, width=3)
        d.line([(ring[2], (ring[1] + ring[3]) // 2), (300, y)], fill=red, width=2)
        d.text((306, y - 8), text, fill=red, font=caption)
    img.save(os.path.join(OUT, "help.png"), optimize=True)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    icon()
    help_picture()
