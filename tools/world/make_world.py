#!/usr/bin/python3
"""Makes Quillora's terrain (Util/Files/heightmap3.png) and maze (Util/Files/Labyrinth2.txt).

Everything is derived from fixed numbers and one seed, so a run always writes the same files.
Both files are checked against the game's fixed positions before they are written; the
generator refuses to write a world that does not fit them.
"""

import argparse
import heapq
import math
import random
import re
import statistics
import sys
from pathlib import Path

import numpy as np
from PIL import Image

# ---- What the game fixes ---------------------------------------------------------------------

SOURCE = Path(__file__).resolve().parents[2] / "src"


def game_positions():
    """The start, the gate, the finish line and the items, read from the game's own headers."""
    rules = (SOURCE / "GameRules.h").read_text()
    table = (SOURCE / "scene" / "BonusItem.h").read_text()

    def find(pattern, text, what):
        match = re.search(pattern, text)
        if not match:
            sys.exit(f"make_world: {what} not found in the game's headers under {SOURCE}")
        return match.group(1)

    def number(name):
        return float(find(rf"\b{name} = (-?[\d.]+)f?\b", rules, name))

    start = [float(v.strip().rstrip("f")) for v in
             find(r"kStartPosition\{([^}]*)\}", rules, "kStartPosition").split(",")]
    # (kind, x, fixed item height y, z)
    items = [(kind, float(x), float(y), float(z)) for kind, x, y, z in re.findall(
        r"\{(Duck|Car|Croctopus), (-?[\d.]+)f, (-?[\d.]+)f, (-?[\d.]+)f\}", table)]
    if not items:
        sys.exit(f"make_world: no bonus items found in {SOURCE / 'scene' / 'BonusItem.h'}")
    return ((start[0], start[2]), (number("kGoalX"), number("kGoalZ")),
            (number("kFinishStartX"), number("kFinishStartZ")),
            (number("kFinishEndX"), number("kFinishEndZ")), items)


START, GOAL, FINISH_A, FINISH_B, ITEMS = game_positions()    # the gate stands at GOAL
ITEM_LIFT = (0.2, 1.0)                    # an item floats this much above its ground vertex
WALL_SINK = (-2.5, 1.5)                   # ground under a wall relative to its straight foot line
MAX_HEIGHT = 17.0                         # white
TERRAIN_W, TERRAIN_D = 384, 256           # one pixel per world unit

# ---- Our choices -----------------------------------------------------------------------------

MAZE_SEED = 43
NEWEST_BIAS = 0.2          # side branches: 1 grows long winding arms, 0 short stubs
SPACING = (8.0, 12.0, 9.5)  # min, max and preferred corridor width
MAZE_X = (165.0, 352.0)    # the outer walls lie at or beyond these
MAZE_Z = (13.0, 226.0)
ROUTE_CELLS = 120         # cells on the way from the start to the gate
CLEAR_MARGIN = 2.5         # fixed points keep at least this much from any grid line


# ---- Maze ------------------------------------------------------------------------------------

def grid_lines(points, low, high, spacing):
    """Wall lines from <= low to >= high whose gaps lie in spacing[0..1] (near spacing[2]),
    keeping the points as far as possible from every line."""
    lo, hi, want = spacing
    cands = np.round(np.arange(low - hi, high + hi, 0.25), 2)

    def margin(a, b):
        return min([99.0] + [min(abs(p - a), abs(p - b)) for p in points if a - 3 < p < b + 3])

    best = {i: (99.0, 0.0, None) for i, c in enumerate(cands) if c <= low}
    for i in range(len(cands)):
        if i not in best:
            continue
        for j in range(i + 1, len(cands)):
            gap = cands[j] - cands[i]
            if gap < lo:
                continue
            if gap > hi:
                break
            score = min(best[i][0], margin(cands[i], cands[j]))
            penalty = best[i][1] + (gap - want) ** 2
            if j not in best or (score, -penalty) > (best[j][0], -best[j][1]):
                best[j] = (score, penalty, i)
    score, _, j = max((v[0], -v[1], j) for j, v in best.items() if cands[j] >= high)
    lines = []
    while j is not None:
        lines.append(float(cands[j]))
        j = best[j][2]
    return score, lines[::-1]


class Maze:
    """A maze on a grid of cells between wall lines xs (columns) and zs (rows)."""

    def __init__(self, xs, zs):
        self.xs, self.zs = xs, zs
        self.nx, self.nz = len(xs) - 1, len(zs) - 1
        self.open = set()       # passages, as frozensets of two cells
        self.forbidden = set()  # passages that must stay walls

    def cell_of(self, p):
        i = int(np.searchsorted(self.xs, p[0])) - 1
        j = int(np.searchsorted(self.zs, p[1])) - 1
        return (i, j)

    def centre(self, c):
        return ((self.xs[c[0]] + self.xs[c[0] + 1]) / 2, (self.zs[c[1]] + self.zs[c[1] + 1]) / 2)

    def neighbours(self, c):
        i, j = c
        for n in ((i + 1, j), (i - 1, j), (i, j + 1), (i, j - 1)):
            if 0 <= n[0] < self.nx and 0 <= n[1] < self.nz:
                yield n

    def linked(self, c):
        return [n for n in self.neighbours(c) if frozenset((c, n)) in self.open]

    def cells(self):
        return [(i, j) for j in range(self.nz) for i in range(self.nx)]

    def walls(self):
        """Every wall as ((x1, z1), (x2, z2)): one per closed cell side, outer walls included."""
        xs, zs = self.xs, self.zs
        out = []
        for j in range(self.nz + 1):
            for i in range(self.nx):
                if 0 < j < self.nz and frozenset(((i, j - 1), (i, j))) in self.open:
                    continue
                out.append(((xs[i], zs[j]), (xs[i + 1], zs[j])))
        for i in range(self.nx + 1):
            for j in range(self.nz):
                if 0 < i < self.nx and frozenset(((i - 1, j), (i, j))) in self.open:
                    continue
                out.append(((xs[i], zs[j]), (xs[i], zs[j + 1])))
        return out


def lay_route(maze, start, goal, rng, cells):
    """A self-avoiding route of about `cells` cells from start to goal: a shortest route first,
    then random sideways bulges (one step becomes three) until it is long enough. Its first step
    goes north, where the player looks at the start."""
    first = (start[0], start[1] + 1)
    prev = {start: None, first: start}
    frontier = [first]
    while goal not in prev:
        nxt = []
        rng.shuffle(frontier)
        for c in frontier:
            for n in maze.neighbours(c):
                if n not in prev and frozenset((c, n)) not in maze.forbidden:
                    prev[n] = c
                    nxt.append(n)
        frontier = nxt
    route = [goal]
    while route[-1] != start:
        route.append(prev[route[-1]])
    route.reverse()
    used = set(route)
    attempts = 0
    while len(route) < cells and attempts < 200000:
        attempts += 1
        k = rng.randrange(1, len(route) - 1)
        a, b = route[k], route[k + 1]
        d = (b[0] - a[0], b[1] - a[1])
        e = rng.choice(((d[1], d[0]), (-d[1], -d[0])))
        a2, b2 = (a[0] + e[0], a[1] + e[1]), (b[0] + e[0], b[1] + e[1])
        inside = all(0 <= c[0] < maze.nx and 0 <= c[1] < maze.nz for c in (a2, b2))
        if not inside or a2 in used or b2 in used:
            continue
        if any(frozenset(p) in maze.forbidden for p in ((a, a2), (a2, b2), (b2, b))):
            continue
        route[k + 1:k + 1] = [a2, b2]
        used.update((a2, b2))
    for a, b in zip(route, route[1:]):
        maze.open.add(frozenset((a, b)))
    return route


def carve(maze, roots, rng, newest_bias):
    """Growing-tree spanning forest from the roots over all other cells."""
    seen = set(roots)
    active = list(roots)
    while active:
        k = len(active) - 1 if rng.random() < newest_bias else rng.randrange(len(active))
        c = active[k]
        fresh = [n for n in maze.neighbours(c)
                 if n not in seen and frozenset((c, n)) not in maze.forbidden]
        if not fresh:
            active.pop(k)
            continue
        n = rng.choice(fresh)
        maze.open.add(frozenset((c, n)))
        seen.add(n)
        active.append(n)


def cell_distance(maze, a, b):
    pa, pb = maze.centre(a), maze.centre(b)
    return math.hypot(pa[0] - pb[0], pa[1] - pb[1])


def shortest_route(maze, a, b):
    dist = {a: 0.0}
    prev = {}
    queue = [(0.0, a)]
    while queue:
        d, c = heapq.heappop(queue)
        if c == b:
            break
        if d > dist[c]:
            continue
        for n in maze.linked(c):
            nd = d + cell_distance(maze, c, n)
            if nd < dist.get(n, math.inf):
                dist[n] = nd
                prev[n] = c
                heapq.heappush(queue, (nd, n))
    route = [b]
    while route[-1] != a:
        route.append(prev[route[-1]])
    return dist[b], route[::-1]


def visibly_dead(maze, c, n, goal):
    """True when the branch from c into n is a straight corridor ending in a wall, which a player
    standing in c sees without walking in."""
    d = (n[0] - c[0], n[1] - c[1])
    prev, cur = c, n
    while True:
        if cur == goal:
            return False
        others = [m for m in maze.linked(cur) if m != prev]
        if not others:
            return True
        ahead = (cur[0] + d[0], cur[1] + d[1])
        if others != [ahead]:
            return False
        prev, cur = cur, ahead


def explore(maze, a, b, order):
    """Walking distance of a player who remembers where they have been, backtracks out of dead
    ends, does not walk into a dead end seen from the junction, and picks among the untried
    branches with `order`."""
    seen = {a}
    walked = 0.0
    stack = [a]

    def options(c):
        fresh = [n for n in maze.linked(c) if n not in seen]
        open_ = [n for n in fresh if not visibly_dead(maze, c, n, b)]
        return order(c, open_)
    branches = {a: options(a)}
    while stack:
        c = stack[-1]
        if c == b:
            return walked
        left = [n for n in branches[c] if n not in seen]
        if left:
            n = left[0]
            branches[c] = left[1:]
            seen.add(n)
            walked += cell_distance(maze, c, n)
            branches[n] = options(n)
            stack.append(n)
        else:
            stack.pop()
            if stack:
                walked += cell_distance(maze, c, stack[-1])
    return math.inf


def build_maze(seed, bias=NEWEST_BIAS, route_cells=ROUTE_CELLS):
    xpoints = [it[1] for it in ITEMS] + [START[0], FINISH_A[0], FINISH_B[0]]
    zpoints = [it[3] for it in ITEMS] + [START[1], FINISH_A[1]]
    mx, xs = grid_lines(xpoints, MAZE_X[0], MAZE_X[1], SPACING)
    mz, zs = grid_lines(zpoints, MAZE_Z[0], MAZE_Z[1], SPACING)
    if min(mx, mz) < CLEAR_MARGIN:
        sys.exit(f"grid lines pass within {min(mx, mz):.2f} of a fixed point")
    maze = Maze(xs, zs)
    goal = maze.cell_of(GOAL)
    # The gate is entered from the north only: the line lies across the cell's north-south run.
    gi, gj = goal
    for n in ((gi + 1, gj), (gi - 1, gj), (gi, gj - 1)):
        maze.forbidden.add(frozenset((goal, n)))
    rng = random.Random(seed)
    start = maze.cell_of(START)
    route = lay_route(maze, start, goal, rng, route_cells)
    carve(maze, route, rng, bias)
    return maze


def route_report(maze, trials=200):
    start, goal = maze.cell_of(START), maze.cell_of(GOAL)
    length, route = shortest_route(maze, start, goal)
    gx, gz = maze.centre(goal)

    def toward_goal(c, options):
        return sorted(options, key=lambda n: math.hypot(maze.centre(n)[0] - gx,
                                                         maze.centre(n)[1] - gz))
    hinted = explore(maze, start, goal, toward_goal)
    rng = random.Random(1)

    def shuffled(c, options):
        options = list(options)
        rng.shuffle(options)
        return options
    blind = sorted(explore(maze, start, goal, shuffled) for _ in range(trials))
    dead_ends = sum(1 for c in maze.cells() if len(maze.linked(c)) == 1)
    return {"route": length, "cells": len(route), "hinted": hinted,
            "blind_median": statistics.median(blind), "blind_80": blind[int(trials * 0.8)],
            "dead_ends": dead_ends}


def describe_route(r):
    return (f"walks between cell centres: known route {r['route']:.0f} ({r['cells']} cells); "
            f"first-timer led by the finish distance {r['hinted']:.0f}; first-timer without "
            f"hints {r['blind_median']:.0f} (median), {r['blind_80']:.0f} (4 in 5); "
            f"{r['dead_ends']} dead ends")


# ---- Terrain ---------------------------------------------------------------------------------

# The land's broad shape is fitted through the item heights: a valley across the middle of the
# maze, where the gate stands, between high ground in the south (the start) and in the north.
SHAPE_WAVES = [(220.0, d) for d in (0, 45, 90, 135)] + [(140.0, d) for d in (0, 45, 90, 135)]
SHAPE_STIFFNESS = 0.3      # ridge weight: higher is smoother and misses the targets by more
GATE_GROUND = 7.0          # what the fit aims for under the gate
START_GROUND = 15.5
# Rolling swells on top: (wavelength, direction in degrees, amplitude, phase)
SWELLS = [(90.0, 160.0, 1.8, 0.7), (64.0, 20.0, 1.6, 2.1), (45.0, 115.0, 1.2, 4.4),
          (33.0, 65.0, 0.6, 1.3)]
CEILING = (15.3, 1.5)      # heights above the first number bend to stay below it plus the second
ITEM_SPREAD = 10.0         # reach of the bumps that set the ground under each item exactly
GATE_FLAT = (5.0, 22.0)    # flat within the first radius of the gate, natural beyond the second
RIM_RISE = 2.5             # the land outside the maze climbs this much over 40 units


def smoothstep(e0, e1, v):
    t = np.clip((v - e0) / (e1 - e0), 0.0, 1.0)
    return t * t * (3.0 - 2.0 * t)


def waves(x, z, wavelength, degrees):
    a = math.radians(degrees)
    theta = 2.0 * math.pi / wavelength * (math.cos(a) * x + math.sin(a) * z)
    return np.sin(theta), np.cos(theta)


def shape_basis(x, z):
    columns = [np.ones_like(x), (x - 260.0) / 100.0, (z - 120.0) / 100.0]
    for wavelength, degrees in SHAPE_WAVES:
        columns += waves(x, z, wavelength, degrees)
    return np.stack(columns, axis=-1)


def fitted_shape(x, z):
    pts = np.array([(it[1], it[3]) for it in ITEMS] + [GOAL, START])
    target = np.array([it[2] - sum(ITEM_LIFT) / 2 for it in ITEMS] + [GATE_GROUND, START_GROUND])
    a = shape_basis(pts[:, 0], pts[:, 1])
    ridge = np.eye(a.shape[1]) * SHAPE_STIFFNESS
    ridge[0, 0] = 0.0
    coefficients = np.linalg.solve(a.T @ a + ridge, a.T @ target)
    return shape_basis(x, z) @ coefficients


def swells(x, z):
    h = np.zeros(np.broadcast(x, z).shape)
    for wavelength, degrees, amplitude, phase in SWELLS:
        s, c = waves(x, z, wavelength, degrees)
        h = h + amplitude * (s * math.cos(phase) + c * math.sin(phase))
    return h


def terrain(maze):
    """Heights on the grid, [z][x]."""
    z, x = np.mgrid[0:TERRAIN_D, 0:TERRAIN_W].astype(np.float64)
    h = fitted_shape(x, z) + swells(x, z)
    outside = np.hypot(np.maximum(0, np.maximum(maze.xs[0] - x, x - maze.xs[-1])),
                       np.maximum(0, np.maximum(maze.zs[0] - z, z - maze.zs[-1])))
    h += RIM_RISE * smoothstep(0.0, 40.0, outside)
    top, give = CEILING
    h = np.where(h > top, top + give * np.tanh((h - top) / give), h)
    gate_h = h[int(GOAL[1]), int(GOAL[0])]
    h = gate_h + (h - gate_h) * smoothstep(GATE_FLAT[0], GATE_FLAT[1],
                                           np.hypot(x - GOAL[0], z - GOAL[1]))
    # Gaussian bumps through the item points, solved so each item's ground lands on its target.
    pts = np.array([(it[1], it[3]) for it in ITEMS])
    target = np.array([it[2] - sum(ITEM_LIFT) / 2 for it in ITEMS])
    ix, iz = pts[:, 0].astype(int), pts[:, 1].astype(int)
    d2 = ((pts[:, None, :] - pts[None, :, :]) ** 2).sum(-1)
    weights = np.linalg.solve(np.exp(-d2 / (2 * ITEM_SPREAD ** 2)), target - h[iz, ix])
    for (px, pz), w in zip(pts, weights):
        h += w * np.exp(-((x - px) ** 2 + (z - pz) ** 2) / (2 * ITEM_SPREAD ** 2))
    return h


def quantise(h):
    """Channel sums: the game reads the mean of three channels over 15, so a sum step is 1/45."""
    if h.min() < 0.0 or h.max() > MAX_HEIGHT:
        sys.exit(f"terrain leaves 0..{MAX_HEIGHT}: {h.min():.2f}..{h.max():.2f}")
    return np.clip(np.rint(h * 45.0), 0, 765).astype(np.int64)


def write_heightmap(sums, path):
    q, r = sums // 3, sums % 3
    rgb = np.stack([q + (r >= 1), q + (r >= 2), q], axis=-1).astype(np.uint8)
    # Scan line 0 of the image as the game reads it is the bottom row of the picture, and z = 0.
    Image.fromarray(np.flipud(rgb), "RGB").save(path, optimize=True)


def cell_height(heights, x, z):
    d, w = heights.shape
    cx = min(max(int(x), 0), w - 1) if x >= 0 else 0
    cz = min(max(int(z), 0), d - 1) if z >= 0 else 0
    return heights[cz, cx]


def foot_deviation(heights, a, b):
    """Lowest and highest ground under the wall relative to its straight foot line."""
    h1, h2 = cell_height(heights, *a), cell_height(heights, *b)
    length = math.dist(a, b)
    low = high = 0.0
    for k in range(int(length / 0.1) + 1):
        t = min(k * 0.1 / length, 1.0)
        x, z = a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1])
        dev = cell_height(heights, x, z) - (h1 + t * (h2 - h1))
        low, high = min(low, dev), max(high, dev)
    return low, high


def planted_walls(walls, heights):
    """Splits any wall whose ground strays from its foot line until every piece stands well."""
    out = []
    todo = list(walls)
    while todo:
        a, b = todo.pop()
        low, high = foot_deviation(heights, a, b)
        if WALL_SINK[0] < low and high < WALL_SINK[1]:
            out.append((a, b))
        elif math.dist(a, b) > 2.0:
            m = ((a[0] + b[0]) / 2, (a[1] + b[1]) / 2)
            todo += [(m, b), (a, m)]
        else:
            sys.exit(f"wall {a} - {b} cannot be planted: ground {low:.2f}..{high:.2f}")
    out.sort(key=lambda w: (w[0][1], w[0][0], w[1][1], w[1][0]))
    return out


def segment_distance(p, a, b):
    dx, dz = b[0] - a[0], b[1] - a[1]
    t = ((p[0] - a[0]) * dx + (p[1] - a[1]) * dz) / (dx * dx + dz * dz)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(p[0] - a[0] - t * dx, p[1] - a[1] - t * dz)


def segments_distance(a, b, c, d):
    def side(p, q, r):
        return (q[0] - p[0]) * (r[1] - p[1]) - (q[1] - p[1]) * (r[0] - p[0])
    if side(a, b, c) * side(a, b, d) < 0 and side(c, d, a) * side(c, d, b) < 0:
        return 0.0
    return min(segment_distance(a, c, d), segment_distance(b, c, d),
               segment_distance(c, a, b), segment_distance(d, a, b))


def check_world(maze, walls, heights):
    """The fixed points against the world; returns the problems found."""
    problems = []
    for kind, x, y, z in ITEMS:
        lift = y - cell_height(heights, x, z)
        if not ITEM_LIFT[0] <= lift <= ITEM_LIFT[1]:
            problems.append(f"{kind} at ({x}, {z}) floats {lift:.2f} above its ground")
    for name, p in [("start", START)] + [(it[0], (it[1], it[3])) for it in ITEMS]:
        near = min(segment_distance(p, a, b) for a, b in walls)
        if near <= 1.0:
            problems.append(f"{name} at {p} is {near:.2f} from a wall")
    for a, b in walls:
        if math.dist(a, b) < 1e-3:
            problems.append(f"zero-length wall at {a}")
        if segments_distance(a, b, FINISH_A, FINISH_B) <= 1.0:
            problems.append(f"wall {a} - {b} stands in the way of the finish line")
    return problems


def write_walls(walls, path, seed):
    with open(path, "w") as f:
        f.write("// Quillora maze: one wall per line, start x/z and end x/z on the ground plane.\n")
        f.write(f"// Made by tools/world/make_world.py (maze seed {seed}); regenerate, do not edit.\n")
        for (x1, z1), (x2, z2) in walls:
            f.write(f"{x1:.3f}/{z1:.3f} {x2:.3f}/{z2:.3f}\n")


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--out", default="Util/Files",
                    help="folder for heightmap3.png and Labyrinth2.txt")
    ap.add_argument("--survey", type=int, default=0, help="only report the route numbers of N seeds")
    ap.add_argument("--bias", type=float, default=NEWEST_BIAS)
    ap.add_argument("--route-cells", type=int, default=ROUTE_CELLS)
    args = ap.parse_args()
    if args.survey:
        for seed in range(args.survey):
            r = route_report(build_maze(seed, args.bias, args.route_cells), 60)
            print(seed, " ".join(f"{k}={v:.0f}" for k, v in r.items()), flush=True)
        return
    maze = build_maze(MAZE_SEED)
    sums = quantise(terrain(maze))
    heights = sums / 45.0
    cell_walls = maze.walls()
    walls = planted_walls(cell_walls, heights)
    problems = check_world(maze, walls, heights)
    if problems:
        sys.exit("\n".join(problems))
    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    write_heightmap(sums, out / "heightmap3.png")
    write_walls(walls, out / "Labyrinth2.txt", MAZE_SEED)
    report = route_report(maze)
    deviations = [foot_deviation(heights, a, b) for a, b in walls]
    lifts = [y - cell_height(heights, x, z) for _, x, y, z in ITEMS]
    print(f"terrain {TERRAIN_W} x {TERRAIN_D}, heights {heights.min():.2f}..{heights.max():.2f}, "
          f"start ground {cell_height(heights, *START):.2f}, "
          f"gate ground {cell_height(heights, *GOAL):.2f}")
    print(f"items float {min(lifts):.2f}..{max(lifts):.2f} above their ground; ground under walls "
          f"{min(d[0] for d in deviations):.2f}..{max(d[1] for d in deviations):.2f} "
          f"off the foot line")
    print(f"maze {maze.nx} x {maze.nz} cells, {len(walls)} walls "
          f"({len(walls) - len(cell_walls)} extra from splitting)")
    print(describe_route(report))


if __name__ == "__main__":
    main()
