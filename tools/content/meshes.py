"""Low-poly meshes of the game, built from closed primitives and written as OBJ.

Texture coordinates are given as (u, t) with t = 0 at the top row of the skin image (the first
row of the DDS file). The game's OBJ reader negates V, so the files carry (u, -t).
"""

import math

import numpy as np


def _normalise(v):
    n = np.linalg.norm(v, axis=-1, keepdims=True)
    return v / np.where(n == 0, 1, n)


class Mesh:
    """Triangle soup: each triangle has three positions, normals and (u, t) coordinates."""

    def __init__(self):
        self.pos = []
        self.nrm = []
        self.uv = []

    def add(self, p, n, uv=None):
        self.pos.append(np.asarray(p, float))
        self.nrm.append(np.asarray(n, float))
        self.uv.append(np.zeros((3, 2)) if uv is None else np.asarray(uv, float))

    def extend(self, other):
        self.pos += other.pos
        self.nrm += other.nrm
        self.uv += other.uv
        return self

    def transformed(self, matrix=None, offset=(0, 0, 0)):
        m = np.eye(3) if matrix is None else np.asarray(matrix, float)
        normal_m = np.linalg.inv(m).T
        out = Mesh()
        flip = np.linalg.det(m) < 0
        for p, n, uv in zip(self.pos, self.nrm, self.uv):
            p2 = p @ m.T + np.asarray(offset, float)
            n2 = _normalise(n @ normal_m.T)
            if flip:
                p2, n2, uv = p2[::-1], n2[::-1], uv[::-1]
            out.add(p2, n2, uv)
        return out

    def map_uv(self, rect):
        """Squeezes the mesh's [0,1] coordinates into rect = (u0, t0, u1, t1) of an atlas."""
        u0, t0, u1, t1 = rect
        out = Mesh()
        for p, n, uv in zip(self.pos, self.nrm, self.uv):
            out.add(p, n, np.stack([u0 + uv[:, 0] * (u1 - u0), t0 + uv[:, 1] * (t1 - t0)], 1))
        return out


def grid_surface(f, nu, nv, smooth=True, wrap_u=True):
    """Surface of a parameter grid f(s, t) -> point, s and t in [0, 1]; t runs from pole to pole.

    Rows whose points all coincide (poles) emit triangles only where they are not degenerate.
    Normals are smooth (from the welded grid) or flat per triangle.
    """
    s = np.linspace(0, 1, nu + 1)
    t = np.linspace(0, 1, nv + 1)
    P = np.array([[f(si, ti) for si in s] for ti in t])  # (nv+1, nu+1, 3)
    if wrap_u:
        P[:, -1] = P[:, 0]
    # Smooth normals from the grid's own triangles, accumulated per welded position.
    tris = []
    for j in range(nv):
        for i in range(nu):
            a, b, c, d = (j, i), (j, i + 1), (j + 1, i + 1), (j + 1, i)
            for tri in ((a, d, c), (a, c, b)):
                pts = [P[k] for k in tri]
                if np.linalg.norm(np.cross(pts[1] - pts[0], pts[2] - pts[0])) < 1e-12:
                    continue
                tris.append(tri)
    acc = {}

    def key(p):
        return tuple(np.round(p, 6))

    for tri in tris:
        pts = [P[k] for k in tri]
        fn = np.cross(pts[1] - pts[0], pts[2] - pts[0])
        for k in tri:
            acc[key(P[k])] = acc.get(key(P[k]), 0) + fn
    mesh = Mesh()
    for tri in tris:
        pts = np.array([P[k] for k in tri])
        if smooth:
            nrm = _normalise(np.array([acc[key(P[k])] for k in tri]))
        else:
            fn = _normalise(np.cross(pts[1] - pts[0], pts[2] - pts[0]))
            nrm = np.array([fn, fn, fn])
        uv = np.array([[s[k[1]], t[k[0]]] for k in tri])
        mesh.add(pts, nrm, uv)
    return mesh


def ellipsoid(radii=(1, 1, 1), nu=16, nv=10):
    rx, ry, rz = radii

    def f(s, t):
        th = 2 * math.pi * s
        ph = math.pi * t
        return (rx * math.sin(ph) * math.cos(th), ry * math.cos(ph), -rz * math.sin(ph) * math.sin(th))

    m = grid_surface(f, nu, nv)
    # The grid normal of a sphere is close, but the exact one makes the ball shade evenly.
    if rx == ry == rz:
        m.nrm = [_normalise(p) for p in m.pos]
    return m


def disk(radius, n, y, up):
    """Flat cap at height y, facing +y if up else -y; uv is a centred disc in [0,1]^2."""
    mesh = Mesh()
    for i in range(n):
        a0, a1 = 2 * math.pi * i / n, 2 * math.pi * (i + 1) / n
        p0 = (radius * math.cos(a0), y, -radius * math.sin(a0))
        p1 = (radius * math.cos(a1), y, -radius * math.sin(a1))
        c = (0, y, 0)
        uv = [(0.5, 0.5), (0.5 + 0.5 * math.cos(a0), 0.5 - 0.5 * math.sin(a0)),
              (0.5 + 0.5 * math.cos(a1), 0.5 - 0.5 * math.sin(a1))]
        nn = (0, 1 if up else -1, 0)
        if up:
            mesh.add([c, p0, p1], [nn] * 3, uv)
        else:
            mesh.add([c, p1, p0], [nn] * 3, [uv[0], uv[2], uv[1]])
    return mesh


def cylinder(r0, r1, h, n=16, caps=True, smooth=True):
    """Frustum along +y from 0 to h, bottom radius r0, top radius r1; sides take t in [0,1]."""

    def f(s, t):
        th = 2 * math.pi * s
        y = h * (1 - t)
        r = r1 + (r0 - r1) * t
        return (r * math.cos(th), y, -r * math.sin(th))

    side = grid_surface(f, n, 1, smooth=False)
    if smooth:
        # Radial normal tilted by the slope; at an apex take the triangle's own direction.
        slope = (r0 - r1) / h
        nrms = []
        for p in side.pos:
            centre = _normalise(p.mean(0) * np.array([1, 0, 1]))
            rows = []
            for q in p:
                radial = q * np.array([1, 0, 1])
                radial = centre if np.linalg.norm(radial) < 1e-9 else _normalise(radial)
                rows.append(_normalise(radial + np.array([0, slope, 0])))
            nrms.append(np.array(rows))
        side.nrm = nrms
    mesh = Mesh().extend(side)
    if caps:
        if r1 > 0:
            mesh.extend(disk(r1, n, h, True))
        if r0 > 0:
            mesh.extend(disk(r0, n, 0, False))
    return mesh


def box(size, center=(0, 0, 0)):
    """Axis-aligned box with flat normals; every face maps the full [0,1]^2."""
    sx, sy, sz = np.asarray(size, float) / 2
    cx, cy, cz = center
    mesh = Mesh()
    faces = [  # normal, u axis, v axis (v runs downwards in the image)
        ((1, 0, 0), (0, 0, -1), (0, -1, 0)),
        ((-1, 0, 0), (0, 0, 1), (0, -1, 0)),
        ((0, 1, 0), (1, 0, 0), (0, 0, 1)),
        ((0, -1, 0), (1, 0, 0), (0, 0, -1)),
        ((0, 0, 1), (1, 0, 0), (0, -1, 0)),
        ((0, 0, -1), (-1, 0, 0), (0, -1, 0)),
    ]
    half = np.array([sx, sy, sz])
    for n, ua, va in faces:
        n, ua, va = (np.array(x, float) for x in (n, ua, va))
        corners = []
        for cu, cv in ((0, 0), (1, 0), (1, 1), (0, 1)):
            p = (n + ua * (2 * cu - 1) + va * (2 * cv - 1)) * half + np.array([cx, cy, cz])
            corners.append((p, (cu, cv)))
        a, b, c, d = corners
        # ua x va points along -n for a top-down v, so wind a, d, c / a, c, b for outward faces.
        for tri in ((a, b, c), (a, c, d)):
            pts = np.array([x[0] for x in tri])
            if np.dot(np.cross(pts[1] - pts[0], pts[2] - pts[0]), n) < 0:
                tri = tri[::-1]
            mesh.add([x[0] for x in tri], [n] * 3, [x[1] for x in tri])
    return mesh


def torus(major, minor, nu=32, nv=8):
    def f(s, t):
        a = 2 * math.pi * s
        b = 2 * math.pi * t
        r = major + minor * math.cos(b)
        return (r * math.cos(a), minor * math.sin(b), -r * math.sin(a))

    s = np.linspace(0, 1, nu + 1)
    t = np.linspace(0, 1, nv + 1)
    mesh = Mesh()

    def point(i, j):
        return np.array(f(s[i % nu], t[j % nv]))

    def normal(i, j):
        a = 2 * math.pi * s[i % nu]
        b = 2 * math.pi * t[j % nv]
        return np.array([math.cos(b) * math.cos(a), math.sin(b), -math.cos(b) * math.sin(a)])

    for j in range(nv):
        for i in range(nu):
            quad = [(i, j), (i + 1, j), (i + 1, j + 1), (i, j + 1)]
            for tri in ((quad[0], quad[1], quad[2]), (quad[0], quad[2], quad[3])):
                pts = np.array([point(*k) for k in tri])
                nrm = np.array([normal(*k) for k in tri])
                if np.dot(np.cross(pts[1] - pts[0], pts[2] - pts[0]), nrm.sum(0)) < 0:
                    pts, nrm = pts[::-1], nrm[::-1]
                mesh.add(pts, nrm)
    return mesh


def tube(path, radii, n=10):
    """Closed tube along a polyline with capped ends; s runs around, t along the path."""
    path = np.asarray(path, float)
    m = len(path)
    tangents = np.gradient(path, axis=0)
    tangents = _normalise(tangents)
    # Parallel-transport a frame along the path so the tube does not twist.
    ref = np.array([0, 1, 0]) if abs(tangents[0][1]) < 0.9 else np.array([1, 0, 0])
    normals = []
    nrm = _normalise(np.cross(np.cross(tangents[0], ref), tangents[0]))
    for k in range(m):
        nrm = _normalise(nrm - np.dot(nrm, tangents[k]) * tangents[k])
        normals.append(nrm)
    rings = []
    ring_n = []
    for k in range(m):
        b = np.cross(tangents[k], normals[k])
        ring = []
        rn = []
        for i in range(n):
            a = 2 * math.pi * i / n
            d = math.cos(a) * normals[k] + math.sin(a) * b
            ring.append(path[k] + radii[k] * d)
            rn.append(d)
        rings.append(ring)
        ring_n.append(rn)
    mesh = Mesh()
    for k in range(m - 1):
        for i in range(n):
            i1 = (i + 1) % n
            quad = [(k, i), (k, i1), (k + 1, i1), (k + 1, i)]
            for tri in ((quad[0], quad[1], quad[2]), (quad[0], quad[2], quad[3])):
                pts = np.array([rings[a][b] for a, b in tri])
                nn = np.array([ring_n[a][b] for a, b in tri])
                uv = np.array([[b / n, a / (m - 1)] for a, b in tri])
                if np.dot(np.cross(pts[1] - pts[0], pts[2] - pts[0]), nn.sum(0)) < 0:
                    pts, nn, uv = pts[::-1], nn[::-1], uv[::-1]
                mesh.add(pts, nn, uv)
    for k, outward in ((0, -tangents[0]), (m - 1, tangents[-1])):
        c = path[k]
        for i in range(n):
            i1 = (i + 1) % n
            pts = np.array([c, rings[k][i], rings[k][i1]])
            if np.dot(np.cross(pts[1] - pts[0], pts[2] - pts[0]), outward) < 0:
                pts = pts[[0, 2, 1]]
            mesh.add(pts, [outward] * 3, [(0.5, 1.0 if k else 0.0)] * 3)
    return mesh


def rot_y(deg):
    a = math.radians(deg)
    return np.array([[math.cos(a), 0, math.sin(a)], [0, 1, 0], [-math.sin(a), 0, math.cos(a)]])


def rot_z(deg):
    a = math.radians(deg)
    return np.array([[math.cos(a), -math.sin(a), 0], [math.sin(a), math.cos(a), 0], [0, 0, 1]])


def rot_x(deg):
    a = math.radians(deg)
    return np.array([[1, 0, 0], [0, math.cos(a), -math.sin(a)], [0, math.sin(a), math.cos(a)]])


# ---------------------------------------------------------------------------------------------
# Writers


def _fmt(x):
    s = f"{x:.5f}".rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s


def write_obj(path, mesh, textured, comment):
    verts, vts, vns = {}, {}, {}
    faces = []

    def index(table, value):
        k = tuple(_fmt(x) for x in value)
        if k not in table:
            table[k] = len(table) + 1
        return table[k]

    for p, n, uv in zip(mesh.pos, mesh.nrm, mesh.uv):
        corner = []
        for k in range(3):
            vi = index(verts, p[k])
            ni = index(vns, _normalise(n[k]))
            ti = index(vts, (uv[k][0], -uv[k][1])) if textured else None
            corner.append((vi, ti, ni))
        faces.append(corner)
    lines = [f"# {comment}", "# made by tools/content/make_content.py", "o " + path.rsplit("/", 1)[-1][:-4]]
    lines += ["v " + " ".join(k) for k in verts]
    if textured:
        lines += ["vt " + " ".join(k) for k in vts]
    lines += ["vn " + " ".join(k) for k in vns]
    lines.append("s off")
    for corner in faces:
        if textured:
            lines.append("f " + " ".join(f"{v}/{t}/{n}" for v, t, n in corner))
        else:
            lines.append("f " + " ".join(f"{v}//{n}" for v, t, n in corner))
    with open(path, "w", newline="\n") as fh:
        fh.write("\n".join(lines) + "\n")


# ---------------------------------------------------------------------------------------------
# The game's meshes. Atlas rectangles are shared with the skin painters in textures.py.

DUCK_ATLAS = {
    "body": (0.0, 0.0, 0.5, 0.5),
    "head": (0.5, 0.0, 1.0, 0.5),
    "beak": (0.0, 0.5, 0.25, 0.75),
    "feet": (0.25, 0.5, 0.5, 0.75),
    "eye": (0.5, 0.5, 0.75, 0.75),
    "wing": (0.75, 0.5, 1.0, 0.75),
    "tail": (0.0, 0.75, 0.25, 1.0),
}

CAR_ATLAS = {
    "body": (0.0, 0.0, 0.5, 0.5),
    "cabin": (0.5, 0.0, 1.0, 0.5),
    "tyre": (0.0, 0.5, 0.25, 0.75),
    "hub": (0.25, 0.5, 0.5, 0.75),
    "light": (0.5, 0.5, 0.75, 0.75),
    "bumper": (0.75, 0.5, 1.0, 0.75),
    "roof": (0.0, 0.75, 0.25, 1.0),
}

CROC_ATLAS = {
    "mantle": (0.0, 0.0, 0.5, 0.5),
    "snout": (0.5, 0.0, 1.0, 0.5),
    "tentacle": (0.0, 0.5, 0.5, 0.75),
    "eye": (0.5, 0.5, 0.75, 0.75),
    "tooth": (0.75, 0.5, 1.0, 0.75),
    "brow": (0.0, 0.75, 0.25, 1.0),
}

FINISH_ATLAS = {
    "post": (0.0, 0.0, 0.25, 1.0),
    "beam": (0.25, 0.0, 1.0, 0.25),
    "banner": (0.25, 0.25, 1.0, 0.75),
}


def _inset(rect, margin=0.02):
    u0, t0, u1, t1 = rect
    return (u0 + margin, t0 + margin, u1 - margin, t1 - margin)


def sphere_smooth():
    return ellipsoid((0.2, 0.2, 0.2), nu=24, nv=14)


def duck():
    a = {k: _inset(v) for k, v in DUCK_ATLAS.items()}
    m = Mesh()
    m.extend(ellipsoid((0.30, 0.20, 0.22), 20, 12).transformed(offset=(-0.02, 0.24, 0)).map_uv(a["body"]))
    m.extend(ellipsoid((0.15, 0.15, 0.15), 16, 10).transformed(offset=(0.19, 0.53, 0)).map_uv(a["head"]))
    # Flat wide bill, pointing +x.
    bill = ellipsoid((0.11, 0.035, 0.075), 12, 6).transformed(offset=(0.36, 0.49, 0))
    m.extend(bill.map_uv(a["beak"]))
    for z in (-0.095, 0.095):
        m.extend(ellipsoid((0.03, 0.035, 0.025), 8, 6).transformed(offset=(0.29, 0.58, z)).map_uv(a["eye"]))
        # Wings lie flat along the flanks, tips raised towards the tail.
        wing = ellipsoid((0.18, 0.08, 0.035), 12, 6).transformed(rot_y(-8 if z > 0 else 8) @ rot_z(-14))
        m.extend(wing.transformed(offset=(-0.06, 0.29, z * 2.0)).map_uv(a["wing"]))
        m.extend(box((0.16, 0.03, 0.10), (0.02, 0.015, z * 1.0)).map_uv(a["feet"]))
        m.extend(cylinder(0.025, 0.025, 0.08, 8).transformed(offset=(0.0, 0.02, z)).map_uv(a["feet"]))
    tail = cylinder(0.09, 0.0, 0.16, 10).transformed(rot_z(60), (-0.27, 0.28, 0))
    m.extend(tail.map_uv(a["tail"]))
    return m


def car():
    a = {k: _inset(v) for k, v in CAR_ATLAS.items()}
    m = Mesh()
    # Chunky toy car, nose towards +x, about 0.9 long.
    m.extend(box((0.86, 0.20, 0.44), (0, 0.20, 0)).map_uv(a["body"]))
    m.extend(box((0.44, 0.18, 0.38), (-0.06, 0.39, 0)).map_uv(a["cabin"]))
    m.extend(box((0.40, 0.025, 0.34), (-0.06, 0.4925, 0)).map_uv(a["roof"]))
    for x in (-0.27, 0.27):
        for z in (-0.21, 0.21):
            wheel = cylinder(0.11, 0.11, 0.08, 16)
            side = 1 if z > 0 else -1
            # Cylinders stand along +y; lay them on their side so the axle runs along z.
            wheel = wheel.transformed(rot_x(90 * side), (x, 0.11, z - side * 0.04))
            m.extend(wheel.map_uv(a["tyre"]))
            hub = cylinder(0.06, 0.06, 0.02, 12).transformed(rot_x(90 * side), (x, 0.11, z + side * 0.04))
            m.extend(hub.map_uv(a["hub"]))
    for z in (-0.14, 0.14):
        m.extend(box((0.02, 0.06, 0.09), (0.435, 0.23, z)).map_uv(a["light"]))
    m.extend(box((0.06, 0.05, 0.46), (0.44, 0.12, 0)).map_uv(a["bumper"]))
    m.extend(box((0.06, 0.05, 0.46), (-0.44, 0.12, 0)).map_uv(a["bumper"]))
    return m


def croctopus():
    a = {k: _inset(v) for k, v in CROC_ATLAS.items()}
    m = Mesh()
    # An octopus mantle with a crocodile's long toothy snout; eight tentacles curl on the ground.
    m.extend(ellipsoid((0.25, 0.28, 0.25), 20, 12).transformed(offset=(-0.08, 0.44, 0)).map_uv(a["mantle"]))
    m.extend(ellipsoid((0.31, 0.085, 0.14), 16, 8).transformed(offset=(0.27, 0.33, 0)).map_uv(a["snout"]))
    m.extend(ellipsoid((0.28, 0.05, 0.12), 14, 6).transformed(offset=(0.25, 0.215, 0)).map_uv(a["snout"]))
    for side in (-1, 1):
        # Croc eyes sit high on bumps, looking forward and out.
        m.extend(ellipsoid((0.08, 0.07, 0.07), 10, 6).transformed(offset=(0.10, 0.56, side * 0.10)).map_uv(a["brow"]))
        m.extend(ellipsoid((0.05, 0.055, 0.05), 10, 6).transformed(offset=(0.15, 0.58, side * 0.115)).map_uv(a["eye"]))
        m.extend(ellipsoid((0.02, 0.015, 0.02), 6, 4).transformed(offset=(0.50, 0.385, side * 0.04)).map_uv(a["brow"]))
        for k in range(5):
            x = 0.10 + 0.085 * k
            half_width = 0.125 * math.sqrt(max(0.0, 1 - ((x - 0.27) / 0.31) ** 2))
            tooth = cylinder(0.016, 0.0, 0.055, 6).transformed(rot_x(180), (x, 0.285, side * (half_width - 0.01)))
            m.extend(tooth.map_uv(a["tooth"]))
    for k in range(8):
        ang = 22.5 + 45 * k
        pts = []
        radii = []
        steps = 12
        for i in range(steps + 1):
            f = i / steps
            r = 0.10 + 0.44 * f
            # Down from the mantle to the ground, then the tip curls up.
            y = 0.30 * (1 - f) ** 2 + 0.035 + 0.16 * max(0.0, f - 0.78) ** 2 / 0.0484 * 0.5
            wave = 0.10 * math.sin(f * math.pi * 1.5 + k)
            local = np.array([r, y, wave * f])
            pts.append(rot_y(ang) @ local + np.array([-0.08, 0, 0]))
            radii.append(0.055 * (1 - f) + 0.012)
        m.extend(tube(pts, radii, 8).map_uv(a["tentacle"]))
    return m


def finish_gate():
    a = {k: _inset(v, 0.01) for k, v in FINISH_ATLAS.items()}
    m = Mesh()
    z = 0.15
    for x in (-1.85, 2.50):
        m.extend(box((0.30, 4.3, 0.30), (x, 4.0 / 2 - 0.15, z)).map_uv(a["post"]))
    m.extend(box((4.75, 0.45, 0.36), (0.325, 3.85, z)).map_uv(a["beam"]))
    # Both big faces of the board map the whole banner: each reads left to right from its side.
    board = box((3.6, 0.9, 0.10), (0.325, 3.15, z))
    edge = Mesh()
    for p, n, uv in zip(board.pos, board.nrm, board.uv):
        edge.add(p, n, uv if abs(n[0][2]) > 0.5 else np.full((3, 2), 0.02))
    m.extend(edge.map_uv(a["banner"]))
    return m


def finish_layer():
    return box((3.95 + 0.10, 2.7 + 0.3, 0.04), (0.325, 2.7 / 2 - 0.15, 0.15))


def cone_big2():
    # Apex down at y 1.2 above the item, wide end at y 3.0.
    c = cylinder(0.0, 0.6, 1.8, 24)
    return c.transformed(offset=(0, 1.2, 0))


def atom_shifted():
    # Ring centred away from the origin, so spinning about the origin swings it round the item.
    return torus(0.42, 0.022, 40, 8).transformed(rot_x(20), (0.22, 0.38, 0.0))


def on_ground(mesh):
    lowest = min(p[:, 1].min() for p in mesh.pos)
    return mesh.transformed(offset=(0, -lowest, 0))


def build_all(out):
    write_obj(f"{out}/sphere_smooth.obj", sphere_smooth(), False, "paint ball, radius 0.2")
    write_obj(f"{out}/finish_transparent_layer.obj", finish_layer(), False, "finish gate sheet")
    write_obj(f"{out}/cone_big2.obj", cone_big2(), False, "bonus item marker cone")
    write_obj(f"{out}/atom_shifted.obj", atom_shifted(), False, "bonus item orbit ring")
    write_obj(f"{out}/finish.obj", finish_gate(), True, "finish gate")
    write_obj(f"{out}/duck.obj", on_ground(duck()), True, "duck")
    write_obj(f"{out}/car.obj", on_ground(car()), True, "car")
    write_obj(f"{out}/croctopus.obj", on_ground(croctopus()), True, "croctopus")
