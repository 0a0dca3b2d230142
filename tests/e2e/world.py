"""What a scripted player knows of the world before it starts: the maze walls and the ground
heights from the game's own data files, the bonus items where the game places them, the planner
tool, the flight of a thrown ball, and the HUD text read back from a screenshot.

Everything here mirrors the game's rules from outside, so a throw can be aimed before it is made
and a picture can be read without a person looking at it.
"""

import math
import os
import subprocess

import numpy
from PIL import Image

from harness import HarnessError, scaled

WALK_SPEED = 10.0        # units per second of held W
TURN_PER_PIXEL = 0.005   # radians of view per pixel of mouse displacement
START = (282.0, 22.0)
GOAL = (177.325, 119.15)
# The finish line: a segment along x at z 119.15; the goal counts within 0.1 of it.
FINISH_Z = 119.15
FINISH_X = (175.35, 179.3)

# (kind, x, y, z) in the order the game places them; y is a fixed height, not the ground.
ITEMS = [
    ("duck", 262.0, 17.0, 33.0), ("duck", 180.0, 15.0, 215.0), ("duck", 298.0, 9.0, 123.0),
    ("duck", 250.0, 15.5, 222.0), ("car", 350.0, 15.5, 126.0), ("car", 245.0, 6.5, 154.0),
    ("car", 197.0, 13.5, 205.0), ("car", 313.0, 15.5, 84.0), ("croctopus", 232.0, 15.5, 222.0),
    ("croctopus", 215.0, 9.0, 102.0),
]
ITEM_REACH = 0.5         # a ball this near an item's position hits it


def data_file(root, name):
    return os.path.join(root, "Util", "Files", name)


class World:
    def __init__(self, root):
        self.maze_path = data_file(root, "Labyrinth2.txt")
        self.walls = read_walls(self.maze_path)
        self.heights = read_heights(data_file(root, "heightmap3.png"))

    def cell_height(self, x, z):
        """The height of the one grid vertex under a point, as the ball impact test reads it."""
        depth, width = self.heights.shape
        column = min(max(int(x), 0), width - 1)
        row = min(max(int(z), 0), depth - 1)
        return float(self.heights[row, column])

    def height_at(self, x, z):
        """The smoothed ground height the game sets the player's eye on (1.5 above it)."""
        depth, width = self.heights.shape
        ix, iz = math.floor(x), math.floor(z)
        fx, fz = x - ix, z - iz
        total = 0.0
        for i in (-1, 0, 1, 2):
            for j in (-1, 0, 1, 2):
                wx = 1.0 - fx if i < 1 else fx
                wz = 1.0 - fz if j < 1 else fz
                column = min(max(ix + i, 0), width - 1)
                row = min(max(iz + j, 0), depth - 1)
                total += (wx + wz) * self.heights[row, column]
        return total * 0.0625

    def clearance(self, p, q=None):
        """The least distance on the ground plane from a point, or a segment, to any wall."""
        a, b = self.walls[:, 0:2], self.walls[:, 2:4]
        p = numpy.asarray(p[:2] if len(p) == 2 else (p[0], p[2]), dtype=float)
        if q is None:
            return float(_point_segment(p, a, b).min())
        q = numpy.asarray(q[:2] if len(q) == 2 else (q[0], q[2]), dtype=float)
        distance = numpy.minimum.reduce([
            _point_segment(p, a, b), _point_segment(q, a, b),
            _point_segment(a, p, q), _point_segment(b, p, q)])
        distance[_crossing(p, q, a, b)] = 0.0
        return float(distance.min())


def read_walls(path):
    """The wall segments (x1, z1, x2, z2) of a maze file, read as the game reads it."""
    walls = []
    with open(path) as maze:
        for line in maze:
            if line.startswith("//") or line in ("\n", "\r\n"):
                continue
            try:
                first, second = line.split()[:2]
                walls.append([float(v) for v in first.split("/") + second.split("/")])
            except ValueError:
                raise ValueError("%s: unexpected wall line %r" % (path, line))
    return numpy.asarray(walls, dtype=float)


def read_heights(path):
    """Ground heights by [row z][column x]: the channel mean over 15; the game's scan line 0
    is the picture's bottom row."""
    with Image.open(path) as image:
        rgb = numpy.asarray(image.convert("RGB"), dtype=numpy.float64)
    return numpy.flipud(rgb.sum(axis=2) / 3.0 / 15.0)


def _point_segment(p, a, b):
    p, a, b = (numpy.asarray(v, dtype=float) for v in (p, a, b))
    d = b - a
    length = (d * d).sum(axis=-1)
    t = ((p - a) * d).sum(axis=-1) / numpy.where(length > 0, length, 1.0)
    t = numpy.clip(t, 0.0, 1.0)[..., None]
    return numpy.hypot(*numpy.moveaxis(p - (a + t * d), -1, 0))


def _crossing(p, q, a, b):
    def side(u, v, w):
        return numpy.sign((v[..., 0] - u[..., 0]) * (w[..., 1] - u[..., 1])
                          - (v[..., 1] - u[..., 1]) * (w[..., 0] - u[..., 0]))
    return (side(p, q, a) * side(p, q, b) < 0) & (side(a, b, p) * side(a, b, q) < 0)


# ---- planning ------------------------------------------------------------------------------

def planner_binary():
    build = os.environ.get("QUILLORA_BUILD_DIR")
    if not build:
        here = os.path.dirname(os.path.abspath(__file__))
        build = os.path.join(here, "..", "..", "build")
    return os.path.join(build, "tools", "quillora-path")


def plan(maze_path, start, target, clearance=1.05, reach=None):
    """Waypoints [(x, z), ...] of the shortest walk the planner finds, or None when there is
    none; bad arguments and a missing planner fail the test."""
    command = [planner_binary(), "--clearance", "%.3f" % clearance]
    if reach is not None:
        command += ["--reach", "%.3f" % reach]
    command += [maze_path] + ["%.3f" % v for v in (start[0], start[1], target[0], target[1])]
    try:
        result = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True,
                                text=True, timeout=scaled(60))
    except FileNotFoundError:
        raise HarnessError("the planner %s is not built" % command[0])
    except subprocess.TimeoutExpired:
        raise HarnessError("the planner did not finish: %s" % " ".join(command))
    if result.returncode == 1:
        return None
    if result.returncode != 0:
        raise HarnessError("%s failed (%d): %s" % (" ".join(command), result.returncode,
                                                   result.stderr))
    points = []
    for line in result.stdout.splitlines():
        words = line.split()
        if len(words) == 2 and words[0] != "length":
            points.append((float(words[0]), float(words[1])))
    if len(points) < 2:
        raise HarnessError("the planner printed no walk:\n" + result.stdout)
    return points


# ---- a thrown ball -------------------------------------------------------------------------

def view_direction(yaw, pitch):
    return (math.cos(pitch) * math.sin(yaw), math.sin(pitch), math.cos(pitch) * math.cos(yaw))


def fly(world, eye, yaw, pitch, items=ITEMS, hop=0.1, longest=8.0):
    """Follows a ball thrown standing still from the eye along the view, in hops of at most a
    tenth of a unit as the game flies it, and tells where it ends:
    ("item", index, closest) when it comes within reach of an item, else ("ground" | "wall" |
    "away", None, closest), closest being its nearest approach to each item by index."""
    d = view_direction(yaw, pitch)
    spawn = [eye[i] + d[i] / 2.0 for i in range(3)]
    angle = math.atan(d[1]) + 0.3490658
    level = math.hypot(d[0], d[2])
    speed = 12.0 * math.cos(angle)
    step = hop / (13.0 * level) if level > 1e-6 else 0.01
    walls = world.walls
    closest = [float("inf")] * len(items)
    t = 0.0
    while t < longest:
        t += step
        distance = 13.0 * t
        x = spawn[0] + d[0] * distance
        z = spawn[2] + d[2] * distance
        y = spawn[1] + distance * math.tan(angle) - 9.81 * distance ** 2 / (2.0 * speed ** 2)
        hit = None
        for index, (_, ix, iy, iz) in enumerate(items):
            gap = math.sqrt((x - ix) ** 2 + (y - iy) ** 2 + (z - iz) ** 2)
            closest[index] = min(closest[index], gap)
            if hit is None and gap <= ITEM_REACH:
                hit = index
        if hit is not None:
            return "item", hit, closest
        ground = world.cell_height(x, z)
        if ground >= y - 0.2:
            return "ground", None, closest
        if not y - 0.2 > ground + 4.0:
            if _point_segment((x, z), walls[:, 0:2], walls[:, 2:4]).min() < 0.2:
                return "wall", None, closest
    return "away", None, closest


def pitches_that_hit(world, eye, yaw, item, step=2, widest=150, items=ITEMS):
    """The pitches, in whole pixels of mouse travel, at which a ball thrown from the eye along
    the yaw hits the item: the middle of the widest run of them, or None."""
    hits = []
    for pixels in range(-widest, widest + 1, step):
        end, index, _ = fly(world, eye, yaw, pixels * TURN_PER_PIXEL, items)
        if end == "item" and index == item:
            hits.append(pixels)
    if not hits:
        return None
    runs = [[hits[0]]]
    for pixels in hits[1:]:
        if pixels - runs[-1][-1] == step:
            runs[-1].append(pixels)
        else:
            runs.append([pixels])
    best = max(runs, key=len)
    return best[len(best) // 2]


# ---- the HUD -------------------------------------------------------------------------------

class HudReader:
    """Reads HUD lines back from a screenshot by matching each character cell against the glyphs
    of the game's own font: the layout is 800 x 600 units from the bottom left, each character
    a square of the line's size."""

    CHARACTERS = "0123456789:m-"
    SIDE = 24

    def __init__(self, root):
        with Image.open(data_file(root, "font.tga")) as image:
            font = numpy.asarray(image.convert("RGBA"), dtype=numpy.float64) / 255.0
        ink = font[:, :, 3] * font[:, :, :3].max(axis=2)
        cell = ink.shape[0] // 16
        self.templates = {}
        for character in self.CHARACTERS:
            code = ord(character)
            row, column = code // 16, code % 16
            glyph = ink[row * cell:(row + 1) * cell, column * cell:(column + 1) * cell]
            small = Image.fromarray((glyph * 255).astype(numpy.uint8)).resize(
                (self.SIDE, self.SIDE), Image.BILINEAR)
            self.templates[character] = numpy.asarray(small, dtype=numpy.float64) / 255.0 > 0.4

    def read(self, image, x, y, size=20, longest=6):
        """(text, colour) of a HUD line starting at layout (x, y); colour is "red", "black" or
        None when nothing is written there. Reading stops at the first empty cell."""
        picture = image.convert("RGB")
        sx, sy = picture.size[0] / 800.0, picture.size[1] / 600.0
        text, reds, blacks = "", 0, 0
        for i in range(longest):
            left, right = (x + i * size) * sx, (x + (i + 1) * size) * sx
            top, bottom = picture.size[1] - (y + size) * sy, picture.size[1] - y * sy
            if right > picture.size[0]:
                break
            crop = numpy.asarray(picture.resize((self.SIDE, self.SIDE), Image.BILINEAR,
                                                box=(left, top, right, bottom)), dtype=numpy.int32)
            red = (crop[:, :, 0] > 140) & (crop[:, :, 1] < 90) & (crop[:, :, 2] < 90)
            black = crop.max(axis=2) < 80
            ink = red if red.sum() > black.sum() else black
            if ink.mean() < 0.02:
                break
            reds, blacks = reds + int(red.sum()), blacks + int(black.sum())
            text += max(self.templates, key=lambda c: _overlap(ink, self.templates[c]))
        if not text:
            return "", None
        return text, ("red" if reds > blacks else "black")


def _overlap(a, b):
    union = numpy.logical_or(a, b).sum()
    return numpy.logical_and(a, b).sum() / union if union else 0.0


# ---- sound ---------------------------------------------------------------------------------

def decode(path, rate):
    """A sound file of the game as mono floats at the given rate (sox decodes MP3 and Ogg)."""
    result = subprocess.run(["sox", path, "-t", "raw", "-r", str(rate), "-e", "floating-point",
                             "-b", "32", "-c", "1", "-"],
                            stdin=subprocess.DEVNULL, capture_output=True, timeout=scaled(60))
    if result.returncode != 0:
        raise HarnessError("sox could not decode %s: %s"
                           % (path, result.stderr.decode(errors="replace")))
    return numpy.frombuffer(result.stdout, dtype="<f4").astype(numpy.float64)


def spectrum(samples, rate, bands=48, low=80.0, high=8000.0):
    """Mean power in logarithmic frequency bands, normalised: the colour of a sound, whatever
    its loudness."""
    size = 4096
    if len(samples) < size:
        samples = numpy.pad(samples, (0, size - len(samples)))
    frames = len(samples) // size
    window = numpy.hanning(size)
    power = numpy.zeros(size // 2 + 1)
    for i in range(frames):
        power += numpy.abs(numpy.fft.rfft(samples[i * size:(i + 1) * size] * window)) ** 2
    frequencies = numpy.fft.rfftfreq(size, 1.0 / rate)
    edges = numpy.geomspace(low, high, bands + 1)
    banded = numpy.array([power[(frequencies >= edges[i]) & (frequencies < edges[i + 1])].sum()
                          for i in range(bands)])
    banded = numpy.log10(banded + 1e-12)
    banded -= banded.mean()
    norm = numpy.linalg.norm(banded)
    return banded / norm if norm else banded


def similarity(a, b):
    return float(numpy.dot(a, b))
