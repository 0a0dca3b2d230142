"""Renders the generated meshes (with their skins) and images to PNG contact sheets for a look.

    /usr/bin/python3 tools/content/preview.py [Util/Files] [out folder, default /tmp/content_preview]
"""

import math
import os
import sys

import numpy as np
from PIL import Image, ImageDraw


def read_obj(path):
    """Reads the OBJ subset as the game does, V negated, one entry per face corner."""
    v, vt, vn, faces = [], [], [], []
    for line in open(path):
        parts = line.split()
        if not parts:
            continue
        if parts[0] == "v":
            v.append([float(x) for x in parts[1:4]])
        elif parts[0] == "vt":
            vt.append([float(parts[1]), -float(parts[2])])
        elif parts[0] == "vn":
            vn.append([float(x) for x in parts[1:4]])
        elif parts[0] == "f":
            faces.append([[int(i) if i else 0 for i in c.split("/")] for c in parts[1:4]])
    f = np.array(faces) - 1
    pos = np.array(v)[f[:, :, 0]]
    nrm = np.array(vn)[f[:, :, 2]]
    uv = np.array(vt)[f[:, :, 1]] if vt else np.zeros(pos.shape[:2] + (2,))
    return pos, nrm, uv


def render(pos, nrm, uv, texture, yaw, pitch, size=360, colour=(200, 200, 200)):
    cy, sy = math.cos(math.radians(yaw)), math.sin(math.radians(yaw))
    cp, sp = math.cos(math.radians(pitch)), math.sin(math.radians(pitch))
    rot = np.array([[cy, 0, sy], [0, 1, 0], [-sy, 0, cy]])
    rot = np.array([[1, 0, 0], [0, cp, -sp], [0, sp, cp]]) @ rot
    p = pos.reshape(-1, 3)
    centre = (p.min(0) + p.max(0)) / 2
    scale = 0.8 * size / np.linalg.norm(p.max(0) - p.min(0))
    q = (pos - centre) @ rot.T
    n = nrm @ rot.T
    sx = q[..., 0] * scale + size / 2
    sy_ = -q[..., 1] * scale + size / 2
    depth = q[..., 2]
    zbuf = np.full((size, size), -1e9)
    img = np.zeros((size, size, 3))
    img[:] = (70, 80, 100)
    light = np.array([0.4, 0.7, 0.6])
    light /= np.linalg.norm(light)
    tex = None if texture is None else np.asarray(texture.convert("RGB"), float)
    for k in range(len(pos)):
        x, y, z = sx[k], sy_[k], depth[k]
        area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0])
        if area >= 0:  # back face (counter-clockwise on screen faces the viewer with y down)
            continue
        x0, x1 = int(max(0, x.min())), int(min(size - 1, x.max() + 1))
        y0, y1 = int(max(0, y.min())), int(min(size - 1, y.max() + 1))
        if x0 > x1 or y0 > y1:
            continue
        gx, gy = np.meshgrid(np.arange(x0, x1 + 1) + 0.5, np.arange(y0, y1 + 1) + 0.5)
        w0 = ((x[1] - gx) * (y[2] - gy) - (x[2] - gx) * (y[1] - gy)) / area
        w1 = ((x[2] - gx) * (y[0] - gy) - (x[0] - gx) * (y[2] - gy)) / area
        w2 = 1 - w0 - w1
        inside = (w0 >= 0) & (w1 >= 0) & (w2 >= 0)
        if not inside.any():
            continue
        zz = w0 * z[0] + w1 * z[1] + w2 * z[2]
        sub = zbuf[y0:y1 + 1, x0:x1 + 1]
        mask = inside & (zz > sub)
        if not mask.any():
            continue
        sub[mask] = zz[mask]
        nn = w0[..., None] * n[k][0] + w1[..., None] * n[k][1] + w2[..., None] * n[k][2]
        nn /= np.linalg.norm(nn, axis=-1, keepdims=True) + 1e-9
        shade = 0.35 + 0.65 * np.clip(nn @ light, 0, 1)
        if tex is not None:
            u = w0 * uv[k][0][0] + w1 * uv[k][1][0] + w2 * uv[k][2][0]
            v = w0 * uv[k][0][1] + w1 * uv[k][1][1] + w2 * uv[k][2][1]
            h, w = tex.shape[:2]
            c = tex[(np.floor(v % 1 * h).astype(int)) % h, (np.floor(u % 1 * w).astype(int)) % w]
        else:
            c = np.broadcast_to(np.array(colour, float), mask.shape + (3,))
        region = img[y0:y1 + 1, x0:x1 + 1]
        region[mask] = (c * shade[..., None])[mask]
    return Image.fromarray(np.clip(img, 0, 255).astype(np.uint8))


def sheet(name, pos, nrm, uv, texture, out):
    views = [(30, 20), (120, 15), (210, 25), (300, -10)]
    imgs = [render(pos, nrm, uv, texture, yaw, pitch) for yaw, pitch in views]
    s = imgs[0].size[0]
    canvas = Image.new("RGB", (s * 2, s * 2))
    for k, im in enumerate(imgs):
        canvas.paste(im, ((k % 2) * s, (k // 2) * s))
    ImageDraw.Draw(canvas).text((6, 6), name, fill=(255, 255, 255))
    canvas.save(os.path.join(out, name + ".png"))


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else "Util/Files"
    out = sys.argv[2] if len(sys.argv) > 2 else "/tmp/content_preview"
    os.makedirs(out, exist_ok=True)
    textured = {"duck": "duck_texture.DDS", "car": "car.DDS", "croctopus": "croctopus.DDS", "finish": "finish.DDS"}
    for name, tex in textured.items():
        sheet(name, *read_obj(f"{src}/{name}.obj"), Image.open(f"{src}/{tex}"), out)
    for name in ("sphere_smooth", "cone_big2", "atom_shifted", "finish_transparent_layer"):
        sheet(name, *read_obj(f"{src}/{name}.obj"), None, out)


if __name__ == "__main__":
    main()
