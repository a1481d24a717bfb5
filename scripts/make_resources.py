#!/usr/bin/env python3
"""Draws Quarvel's icon into resources/icons/: PNG files at the sizes desktops
ask for and a scalable SVG, all from the one drawing below, in the 16 colours
of the classic palette. Run it again after changing the drawing:
/usr/bin/python3 scripts/make_resources.py
(The help picture is made from the real window by the make_help_picture target.)
"""
import os

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources", "icons")

SIZES = (16, 24, 32, 48, 64, 128, 256)
# The drawing's own grid: at 32 px one unit is one pixel.
GRID = 32
# Each PNG is drawn this many times larger and shrunk, which smooths the slopes;
# all but the window's own icon, the grid's size in 16 colours and unsmoothed.
SUPERSAMPLE = 8

BLACK, MAROON, GREEN, AQUA, RED, LIME, YELLOW, WHITE = (
    "#000000", "#800000", "#008000", "#00ffff", "#ff0000", "#00ff00", "#ffff00", "#ffffff")

# A small landscape photo: a black edge and a white border around the scene.
PHOTO = (1, 3, 31, 29)
PHOTO_BANDS = ((1, BLACK), (1, WHITE))
SKY = AQUA
# The scene, clipped to the inside of the photo's border.
SCENE = (
    ("ellipse", (23, 10, 3, 3), YELLOW),
    ("ellipse", (7.5, 15, 2, 1), WHITE),
    ("polygon", ((3, 22.5), (10.5, 13), (16.5, 20.5), (21.5, 16.5), (29, 23.5), (29, 27), (3, 27)), GREEN),
    ("polygon", ((3, 27), (3, 23.5), (12.5, 19.5), (29, 25.5), (29, 27)), LIME),
)
# The crop square over the photo's corner: dark red outside, red inside.
CROP = (12, 11, 29, 28)
CROP_BANDS = ((1, MAROON), (1, RED))


def inset(rect, by):
    x0, y0, x1, y1 = rect
    return (x0 + by, y0 + by, x1 - by, y1 - by)


class Canvas:
    """A PNG of `size` pixels. Frames snap to whole pixels, at least one
    pixel per band, so the small sizes stay sharp; the scene is smooth."""

    def __init__(self, size):
        self.size = size
        self.scale = size / GRID
        self.k = 1 if size == GRID else SUPERSAMPLE
        self.big = size * self.k
        self.image = Image.new("RGBA", (self.big, self.big), (0, 0, 0, 0))

    def snap(self, rect):
        return tuple(int(v * self.scale + 0.5) for v in rect)

    def band_width(self, units):
        return max(1, int(units * self.scale + 0.5))

    def fill(self, draw, pixel_rect, colour):
        x0, y0, x1, y1 = (v * self.k for v in pixel_rect)
        if x1 > x0 and y1 > y0:
            draw.rectangle([x0, y0, x1 - 1, y1 - 1], fill=colour)

    def frame(self, rect, bands, inner_colour=None):
        """Draws nested bands from the outside in; returns what is left inside, in pixels."""
        draw = ImageDraw.Draw(self.image)
        pixels = self.snap(rect)
        for units, colour in bands:
            width = self.band_width(units)
            inner = inset(pixels, width)
            x0, y0, x1, y1 = pixels
            ix0, iy0, ix1, iy1 = inner
            for part in ((x0, y0, x1, iy0), (x0, iy1, x1, y1), (x0, iy0, ix0, iy1), (ix1, iy0, x1, iy1)):
                self.fill(draw, part, colour)
            pixels = inner
        if inner_colour:
            self.fill(draw, pixels, inner_colour)
        return pixels

    def scene(self, clip):
        layer = Image.new("RGBA", self.image.size, (0, 0, 0, 0))
        draw = ImageDraw.Draw(layer)
        k = self.scale * self.k
        for kind, shape, colour in SCENE:
            if kind == "ellipse":
                cx, cy, rx, ry = shape
                draw.ellipse([(cx - rx) * k, (cy - ry) * k, (cx + rx) * k - 1, (cy + ry) * k - 1], fill=colour)
            else:
                draw.polygon([(x * k, y * k) for x, y in shape], fill=colour)
        mask = Image.new("L", self.image.size, 0)
        self.fill(ImageDraw.Draw(mask), clip, 255)
        self.image.paste(layer, (0, 0), Image.composite(layer, Image.new("RGBA", layer.size), mask))

    def finished(self):
        # Shrunk with premultiplied alpha, so the edges don't darken.
        small = self.image.convert("RGBa").resize((self.size, self.size), Image.BOX)
        return small.convert("RGBA")


def png(size):
    canvas = Canvas(size)
    sky = canvas.frame(PHOTO, PHOTO_BANDS, SKY)
    canvas.scene(sky)
    canvas.frame(CROP, CROP_BANDS)
    canvas.finished().save(os.path.join(OUT, "quarvel-%d.png" % size), optimize=True)


def svg_frame(rect, bands, inner_colour=None):
    """Each band is a stroke along its middle; returns the elements and what is left inside."""
    parts = []
    for units, colour in bands:
        x0, y0, x1, y1 = inset(rect, units / 2)
        parts.append('<rect x="%g" y="%g" width="%g" height="%g" fill="none" stroke="%s" stroke-width="%g"/>' % (
            x0, y0, x1 - x0, y1 - y0, colour, units))
        rect = inset(rect, units)
    if inner_colour:
        x0, y0, x1, y1 = rect
        parts.insert(0, '<rect x="%g" y="%g" width="%g" height="%g" fill="%s"/>' % (x0, y0, x1 - x0, y1 - y0,
                                                                                inner_colour))
    return parts


def svg():
    lines = ['<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 %d %d">' % (GRID, GRID)]
    lines += svg_frame(PHOTO, PHOTO_BANDS, SKY)
    # The scene lies inside the border already; only the small PNGs need clipping.
    for kind, shape, colour in SCENE:
        if kind == "ellipse":
            lines.append('<ellipse cx="%g" cy="%g" rx="%g" ry="%g" fill="%s" stroke="none"/>' % (shape + (colour,)))
        else:
            points = " ".join("%g,%g" % point for point in shape)
            lines.append('<polygon points="%s" fill="%s" stroke="none"/>' % (points, colour))
    lines += svg_frame(CROP, CROP_BANDS)
    lines.append("</svg>")
    with open(os.path.join(OUT, "quarvel.svg"), "w") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for size in SIZES:
        png(size)
    svg()
