#!/usr/bin/env python3
"""Draws Quarvel's icon into resources/: 32 x 32 in the 16 colours of the
classic palette. Run it again after changing the drawing:
/usr/bin/python3 scripts/make_resources.py
(The help picture is made from the real window by the make_help_picture target.)
"""
import os

from PIL import Image, ImageDraw

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


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    icon()
