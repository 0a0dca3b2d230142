#!/usr/bin/python3
"""Draws the Quillora application icon: a paint splat on a piece of maze.

Writes dist/icons/quillora-48.png and dist/icons/quillora-256.png. Drawn large and scaled down
for smooth edges. Deterministic: the same script gives the same pictures.

    /usr/bin/python3 tools/make_icon.py
"""

import math
import os
import random

from PIL import Image, ImageDraw

BIG = 1024
SIZES = (48, 256)
ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))


def draw_icon():
    image = Image.new("RGBA", (BIG, BIG), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)

    # Tile: grass green with a lighter hill.
    draw.rounded_rectangle((40, 40, BIG - 40, BIG - 40), radius=180, fill=(58, 122, 64, 255))
    draw.ellipse((-200, 560, 900, 1400), fill=(82, 150, 78, 255))
    mask = Image.new("L", (BIG, BIG), 0)
    ImageDraw.Draw(mask).rounded_rectangle((40, 40, BIG - 40, BIG - 40), radius=180, fill=255)

    # Maze walls: light stone, seen from above.
    wall = (222, 214, 196, 255)
    width = 56
    for segment in (((170, 180), (850, 180)), ((170, 180), (170, 620)), ((850, 180), (850, 850)),
                    ((170, 850), (640, 850)), ((340, 340), (690, 340)), ((340, 340), (340, 700)),
                    ((520, 500), (520, 850)), ((690, 340), (690, 700))):
        draw.line(segment, fill=wall, width=width)
        for point in segment:
            draw.ellipse((point[0] - width / 2, point[1] - width / 2,
                          point[0] + width / 2, point[1] + width / 2), fill=wall)

    # Paint splat: a blob with a ragged rim and a few drops around it.
    rng = random.Random(7)
    centre = (600, 560)
    paint = (236, 48, 132, 255)
    rim = []
    for i in range(360):
        angle = 2 * math.pi * i / 360
        # Smooth lobes rather than spikes: paint runs out in rounded fingers.
        radius = (165 + 28 * math.sin(3 * angle + 1.0) + 18 * math.sin(5 * angle + 2.0)
                  + 40 * max(0.0, math.sin(7 * angle)) ** 6)
        rim.append((centre[0] + radius * math.cos(angle), centre[1] + radius * math.sin(angle)))
    draw.polygon(rim, fill=paint)
    for _ in range(9):
        angle = rng.uniform(0, 2 * math.pi)
        distance = rng.uniform(250, 330)
        size = rng.uniform(18, 40)
        x, y = centre[0] + distance * math.cos(angle), centre[1] + distance * math.sin(angle)
        draw.ellipse((x - size, y - size, x + size, y + size), fill=paint)
    draw.ellipse((centre[0] - 90, centre[1] - 110, centre[0] - 20, centre[1] - 50),
                 fill=(250, 150, 196, 255))

    clipped = Image.new("RGBA", (BIG, BIG), (0, 0, 0, 0))
    clipped.paste(image, (0, 0), mask)
    return clipped


def main():
    icon = draw_icon()
    folder = os.path.join(ROOT, "dist", "icons")
    os.makedirs(folder, exist_ok=True)
    for size in SIZES:
        path = os.path.join(folder, "quillora-%d.png" % size)
        icon.resize((size, size), Image.LANCZOS).save(path, optimize=True)
        print("wrote", os.path.relpath(path, ROOT))


if __name__ == "__main__":
    main()
