#!/usr/bin/python3
"""Draws the world as the game will read it, seen from above: the terrain from heightmap3.png,
the walls from Labyrinth2.txt, the start, the gate, the items and, given a quillora-path output,
the route. North (+z) is up. For looking at, not for committing."""

import argparse
import math
import sys
from pathlib import Path

import numpy as np
from PIL import Image, ImageDraw

sys.path.insert(0, str(Path(__file__).resolve().parent))
from make_world import FINISH_A, FINISH_B, ITEMS, START  # noqa: E402

KIND_COLOURS = {"Duck": (40, 90, 255), "Car": (230, 30, 30), "Croctopus": (20, 200, 60)}


def read_heights(path):
    rgb = np.asarray(Image.open(path).convert("RGB"), dtype=np.float64)
    return np.flipud(rgb.sum(axis=-1) / 3.0 / 15.0)  # [z][x], z = 0 first


def read_walls(path):
    walls = []
    for line in Path(path).read_text().splitlines():
        if line.startswith("//") or not line.strip():
            continue
        a, b = line.split()[:2]
        walls.append((tuple(map(float, a.split("/"))), tuple(map(float, b.split("/")))))
    return walls


def read_path(path):
    points = []
    for line in Path(path).read_text().splitlines():
        parts = line.split()
        if len(parts) == 2:
            try:
                points.append((float(parts[0]), float(parts[1])))
            except ValueError:
                pass
    return points


def shaded(heights, scale):
    low, high = 0.0, 17.0
    t = np.clip((heights - low) / (high - low), 0, 1)
    ramp = np.array([(40, 90, 40), (90, 140, 60), (170, 160, 90), (150, 120, 90), (235, 235, 235)],
                    dtype=np.float64)
    pos = t * (len(ramp) - 1)
    i = np.minimum(pos.astype(int), len(ramp) - 2)
    f = (pos - i)[..., None]
    colour = ramp[i] * (1 - f) + ramp[i + 1] * f
    gz, gx = np.gradient(heights)
    light = np.clip(0.75 + 1.6 * (-gx * 0.6 + gz * 0.8), 0.35, 1.3)  # lit from the north-west
    # Contour lines every unit of height.
    contour = (np.abs((heights % 1.0) - 0.5) > 0.47)
    image = np.clip(colour * light[..., None] * np.where(contour, 0.8, 1.0)[..., None], 0, 255)
    picture = Image.fromarray(np.flipud(image).astype(np.uint8), "RGB")
    return picture.resize((picture.width * scale, picture.height * scale), Image.NEAREST)


def cell_heights(heights, x, z):
    d, w = heights.shape
    return heights[np.clip(z.astype(int), 0, d - 1), np.clip(x.astype(int), 0, w - 1)]


def eye_view(heights, walls, eye, heading_degrees, size=(480, 300), fov=60.0, reach=160.0):
    """A rough first-person picture from 1.5 above the ground at eye = (x, z): terrain by ray
    marching, walls as 7-unit slabs from 3 below to 4 above their foot line."""
    w, h = size
    d, _ = heights.shape
    ex, ez = eye
    ey = float(cell_heights(heights, np.array([ex]), np.array([ez]))[0]) + 1.5
    focal = (w / 2) / np.tan(np.radians(fov / 2))
    rows = (h / 2 - np.arange(h) - 0.5) / focal              # slope of each pixel row
    steps = np.arange(0.3, reach, 0.25)
    image = np.zeros((h, w, 3))
    sky = np.array([150, 190, 235])
    gz, gx = np.gradient(heights)
    for col in range(w):
        offset = (col + 0.5 - w / 2) / focal
        angle = np.radians(heading_degrees) + np.arctan(offset)
        rows_here = rows / math.sqrt(1.0 + offset * offset)
        dx, dz = np.sin(angle), np.cos(angle)
        xs, zs = ex + dx * steps, ez + dz * steps
        ground = cell_heights(heights, xs, zs)
        ray_y = ey + rows_here[:, None] * steps[None, :]
        under = ray_y < ground[None, :]
        first = np.where(under.any(axis=1), under.argmax(axis=1), -1)
        dist = np.where(first >= 0, steps[np.maximum(first, 0)], np.inf)
        colour = np.tile(sky, (h, 1)).astype(float)
        hit = first >= 0
        if hit.any():
            i = first[hit]
            row = np.clip(zs[i].astype(int), 0, d - 1)
            col_ = np.clip(xs[i].astype(int), 0, heights.shape[1] - 1)
            nx, nz = gx[row, col_], gz[row, col_]
            light = np.clip(0.75 - 0.9 * (nx * 0.5 + nz * 0.6), 0.3, 1.2)
            base = np.array([95, 140, 70])[None, :] * light[:, None]
            colour[hit] = base
        # Walls: the nearest slab each pixel's ray meets.
        for (x1, z1), (x2, z2) in walls:
            ux, uz = x2 - x1, z2 - z1
            den = dx * uz - dz * ux
            if abs(den) < 1e-9:
                continue
            t = ((x1 - ex) * uz - (z1 - ez) * ux) / den
            s = ((x1 - ex) * dz - (z1 - ez) * dx) / den
            if t <= 0.3 or t > reach or not 0.0 <= s <= 1.0:
                continue
            h1 = cell_heights(heights, np.array([x1]), np.array([z1]))[0]
            h2 = cell_heights(heights, np.array([x2]), np.array([z2]))[0]
            foot = h1 + s * (h2 - h1)
            y = ey + rows_here * t
            inside = (y >= foot - 3.0) & (y <= foot + 4.0) & (t < dist)
            facing = abs(dx * -uz + dz * ux) / math.hypot(ux, uz)
            shade = 110 + 90 * facing
            colour[inside] = (shade, shade * 0.92, shade * 0.8)
            dist = np.where(inside, t, dist)
        fog = np.clip(dist / reach, 0, 1)[:, None] ** 1.5
        image[:, col] = colour * (1 - fog) + sky * fog
    return Image.fromarray(image.astype(np.uint8), "RGB")


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("output", help="PNG to write")
    ap.add_argument("--files", default="Util/Files", help="folder with the two world files")
    ap.add_argument("--path", action="append", default=[], help="quillora-path output to draw")
    ap.add_argument("--scale", type=int, default=3)
    ap.add_argument("--crop", type=float, nargs=4, metavar=("X0", "Z0", "X1", "Z1"))
    ap.add_argument("--eye", type=float, nargs=3, metavar=("X", "Z", "HEADING"),
                    help="draw the view from (X, Z) instead, HEADING degrees from +z toward +x")
    args = ap.parse_args()
    files = Path(args.files)
    heights = read_heights(files / "heightmap3.png")
    if args.eye:
        walls = read_walls(files / "Labyrinth2.txt")
        eye_view(heights, walls, args.eye[:2], args.eye[2]).save(args.output)
        return
    depth = heights.shape[0]
    s = args.scale
    picture = shaded(heights, s)
    draw = ImageDraw.Draw(picture)

    def px(p):
        return (p[0] * s, (depth - p[1]) * s)
    for a, b in read_walls(files / "Labyrinth2.txt"):
        draw.line([px(a), px(b)], fill=(20, 20, 20), width=max(1, s // 2))
    for i, route in enumerate(args.path):
        points = read_path(route)
        colour = [(255, 220, 0), (0, 230, 255), (255, 120, 0)][i % 3]
        draw.line([px(p) for p in points], fill=colour, width=max(1, s // 2))
    draw.line([px(FINISH_A), px(FINISH_B)], fill=(255, 0, 255), width=s)
    for kind, x, _, z in ITEMS:
        cx, cy = px((x, z))
        draw.ellipse([cx - 2 * s, cy - 2 * s, cx + 2 * s, cy + 2 * s], fill=KIND_COLOURS[kind],
                     outline=(255, 255, 255))
    cx, cy = px(START)
    draw.ellipse([cx - 2 * s, cy - 2 * s, cx + 2 * s, cy + 2 * s], fill=(255, 255, 255),
                 outline=(0, 0, 0))
    if args.crop:
        x0, z0, x1, z1 = args.crop
        picture = picture.crop((int(x0 * s), int((depth - z1) * s), int(x1 * s),
                                int((depth - z0) * s)))
    picture.save(args.output)


if __name__ == "__main__":
    main()
