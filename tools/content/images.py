"""Textures, posters, font and crosshair of the game.

DDS files go through ImageMagick (/usr/bin/convert) from a PNG we paint; TGA files are written
here with run-length encoding, bottom row first, as the game's TGA reader expects.
"""

import math
import os
import struct
import subprocess
import tempfile

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

import meshes

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
CONVERT = "/usr/bin/convert"


def font(name, size):
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


# ---------------------------------------------------------------------------------------------
# Writers


def write_tga(path, image):
    """Run-length encoded true-colour TGA (type 10), origin bottom-left, packets within a row."""
    image = image.convert("RGBA" if image.mode in ("RGBA", "LA", "P") else "RGB")
    a = np.asarray(image)
    h, w, c = a.shape
    bgr = a[:, :, [2, 1, 0, 3][:c]]
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 10, 0, 0, 0, 0, 0, w, h, 8 * c, 8 if c == 4 else 0)
    out = bytearray(header)
    for row in bgr[::-1]:
        px = [bytes(p) for p in row]
        i = 0
        while i < w:
            j = i + 1
            while j < w and j - i < 128 and px[j] == px[i]:
                j += 1
            if j - i > 1:
                out.append(0x80 | (j - i - 1))
                out += px[i]
                i = j
                continue
            j = i + 1
            while j < w and j - i < 128 and (j + 1 >= w or px[j] != px[j + 1]):
                j += 1
            out.append(j - i - 1)
            for k in range(i, j):
                out += px[k]
            i = j
    with open(path, "wb") as fh:
        fh.write(bytes(out))


def write_dds(path, image, alpha):
    """DXT5 (alpha) or DXT1 (opaque) with every mip level down to 1 x 1."""
    w, h = image.size
    levels = int(math.log2(max(w, h)))
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "in.png")
        image.convert("RGBA" if alpha else "RGB").save(src)
        # One thread: the threaded mip resize is not reproducible from run to run.
        cmd = [CONVERT, "-limit", "thread", "1", src, "-define", f"dds:compression={'dxt5' if alpha else 'dxt1'}",
               "-define", f"dds:mipmaps={levels}", "-define", "dds:cluster-fit=true"]
        if alpha:
            cmd += ["-alpha", "on"]
        subprocess.run(cmd + ["DDS:" + path], check=True)
    with open(path, "rb") as fh:
        head = fh.read(128)
    mips = struct.unpack_from("<I", head, 28)[0]
    fourcc = head[84:88]
    want = b"DXT5" if alpha else b"DXT1"
    if mips != levels + 1 or fourcc != want:
        raise RuntimeError(f"{path}: got {mips} levels {fourcc!r}, wanted {levels + 1} {want!r}")


# ---------------------------------------------------------------------------------------------
# Helpers for painting


def rng(seed):
    return np.random.default_rng(seed)


def vertical_gradient(size, top, bottom):
    w, h = size
    t = np.linspace(0, 1, h)[:, None, None]
    a = np.asarray(top, float) * (1 - t) + np.asarray(bottom, float) * t
    return Image.fromarray(np.repeat(a, w, 1).astype(np.uint8), "RGB")


def rect_px(rect, size):
    u0, t0, u1, t1 = rect
    return (int(round(u0 * size)), int(round(t0 * size)), int(round(u1 * size)), int(round(t1 * size)))


def noise_tile(size, seed, scale=8, amount=1.0):
    """Smooth value noise in [-1, 1]: bilinear upsampled random grid, several octaves."""
    r = rng(seed)
    acc = np.zeros((size, size))
    amp = 1.0
    total = 0.0
    cells = scale
    while cells <= size // 2:
        g = r.uniform(-1, 1, (cells + 1, cells + 1))
        img = Image.fromarray(((g + 1) * 127.5).astype(np.uint8)).resize((size, size), Image.BICUBIC)
        acc += amp * (np.asarray(img, float) / 127.5 - 1)
        total += amp
        amp *= 0.5
        cells *= 2
    return acc / total * amount


def fill_patch(img, rect, colour, seed, grain=12, spots=None):
    size = img.size[0]
    x0, y0, x1, y1 = rect_px(rect, size)
    w, h = x1 - x0, y1 - y0
    n = noise_tile(max(w, h), seed, 4)[:h, :w]
    base = np.asarray(colour, float)[None, None, :] + n[:, :, None] * grain
    patch = Image.fromarray(np.clip(base, 0, 255).astype(np.uint8), "RGB")
    img.paste(patch, (x0, y0))
    return ImageDraw.Draw(img), (x0, y0, x1, y1)


# ---------------------------------------------------------------------------------------------
# Skins (atlas layout shared with meshes.py)


def skin_duck():
    s = 256
    img = Image.new("RGB", (s, s), (250, 205, 40))
    A = meshes.DUCK_ATLAS
    fill_patch(img, A["head"], (252, 212, 56), 2)
    # A lighter belly and a few feather lines help the toon shading read as a duck.
    d, (x0, y0, x1, y1) = fill_patch(img, A["body"], (252, 208, 48), 1)
    d.rectangle((x0, y0 + (y1 - y0) * 0.55, x1, y1), fill=(255, 226, 110))
    for k in range(6):
        yy = y0 + (y1 - y0) * (0.25 + 0.05 * k)
        d.line((x0, yy, x1, yy), fill=(240, 190, 30), width=2)
    fill_patch(img, A["beak"], (248, 128, 24), 3)
    fill_patch(img, A["feet"], (240, 118, 20), 4)
    d, (x0, y0, x1, y1) = fill_patch(img, A["eye"], (18, 18, 24), 5, grain=4)
    d.ellipse((x0 + 4, y0 + 4, x0 + 16, y0 + 16), fill=(250, 250, 250))
    d, (x0, y0, x1, y1) = fill_patch(img, A["wing"], (236, 184, 26), 6)
    for k in range(4):
        xx = x0 + (x1 - x0) * (0.2 + 0.2 * k)
        d.line((xx, y0, xx, y1), fill=(214, 160, 18), width=3)
    fill_patch(img, A["tail"], (244, 196, 36), 7)
    return img


def skin_car():
    s = 256
    img = Image.new("RGB", (s, s), (200, 30, 30))
    A = meshes.CAR_ATLAS
    d, (x0, y0, x1, y1) = fill_patch(img, A["body"], (214, 34, 38), 11, grain=8)
    # A white racing stripe along every face of the body box.
    h = y1 - y0
    d.rectangle((x0, y0 + h * 0.42, x1, y0 + h * 0.58), fill=(245, 245, 245))
    d, (x0, y0, x1, y1) = fill_patch(img, A["cabin"], (214, 34, 38), 12, grain=8)
    w, h = x1 - x0, y1 - y0
    # Windows: the cabin box maps the whole patch on each face, so one window per face.
    d.rounded_rectangle((x0 + w * 0.1, y0 + h * 0.12, x1 - w * 0.1, y1 - h * 0.3), radius=8,
                        fill=(120, 180, 230), outline=(30, 30, 40), width=3)
    d.line((x0 + w * 0.2, y0 + h * 0.2, x0 + w * 0.45, y0 + h * 0.55), fill=(220, 240, 255), width=4)
    fill_patch(img, A["roof"], (224, 44, 48), 13, grain=6)
    d, (x0, y0, x1, y1) = fill_patch(img, A["tyre"], (34, 34, 36), 14, grain=5)
    for k in range(0, x1 - x0, 8):
        d.line((x0 + k, y0, x0 + k, y1), fill=(55, 55, 58), width=3)
    d, (x0, y0, x1, y1) = fill_patch(img, A["hub"], (200, 200, 206), 15, grain=10)
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    d.ellipse((cx - 14, cy - 14, cx + 14, cy + 14), outline=(120, 120, 128), width=4)
    fill_patch(img, A["light"], (255, 240, 150), 16, grain=6)
    fill_patch(img, A["bumper"], (180, 182, 190), 17, grain=8)
    return img


def skin_croctopus():
    s = 256
    img = Image.new("RGB", (s, s), (70, 150, 60))
    A = meshes.CROC_ATLAS
    d, (x0, y0, x1, y1) = fill_patch(img, A["mantle"], (92, 158, 64), 21, grain=14)
    r = rng(22)
    for _ in range(40):
        cx, cy = r.uniform(x0, x1), r.uniform(y0, y1 * 0.9)
        rad = r.uniform(3, 9)
        d.ellipse((cx - rad, cy - rad, cx + rad, cy + rad), fill=(150, 96, 170))
    d, (x0, y0, x1, y1) = fill_patch(img, A["snout"], (84, 150, 60), 23, grain=12)
    # Scales: a small diamond lattice.
    for yy in range(y0, y1, 10):
        for xx in range(x0 + (5 if (yy // 10) % 2 else 0), x1, 10):
            d.polygon([(xx, yy + 5), (xx + 5, yy), (xx + 10, yy + 5), (xx + 5, yy + 10)],
                      outline=(56, 110, 42))
    d, (x0, y0, x1, y1) = fill_patch(img, A["tentacle"], (150, 96, 170), 24, grain=10)
    # u runs round the tube from its upper side, so the underside with the suckers is the middle.
    w, h = x1 - x0, y1 - y0
    d.rectangle((x0 + w * 0.3, y0, x0 + w * 0.7, y1), fill=(226, 170, 214))
    for yy in range(y0 + 4, y1 - 4, 9):
        for xx in (x0 + w * 0.4, x0 + w * 0.6):
            d.ellipse((xx - 4, yy - 3, xx + 4, yy + 3), fill=(246, 222, 240), outline=(180, 120, 170))
    d, (x0, y0, x1, y1) = fill_patch(img, A["eye"], (250, 236, 120), 25, grain=6)
    cx = (x0 + x1) / 2
    d.rectangle((cx - 5, y0, cx + 5, y1), fill=(20, 20, 20))
    fill_patch(img, A["tooth"], (250, 250, 240), 26, grain=4)
    fill_patch(img, A["brow"], (76, 140, 54), 27, grain=10)
    return img


def finish_texture():
    s = 512
    img = Image.new("RGB", (s, s), (30, 30, 30))
    A = meshes.FINISH_ATLAS
    d = ImageDraw.Draw(img)
    # Posts: black and white barber stripes.
    x0, y0, x1, y1 = rect_px(A["post"], s)
    step = 32
    for k, yy in enumerate(range(y0, y1, step)):
        d.rectangle((x0, yy, x1, yy + step), fill=(245, 245, 245) if k % 2 else (25, 25, 25))
    # Beam: chequered flag pattern.
    x0, y0, x1, y1 = rect_px(A["beam"], s)
    cell = 16
    for j, yy in enumerate(range(y0, y1, cell)):
        for i, xx in enumerate(range(x0, x1, cell)):
            d.rectangle((xx, yy, xx + cell - 1, yy + cell - 1),
                        fill=(245, 245, 245) if (i + j) % 2 else (20, 20, 20))
    # Banner: the word on a bright red field with a chequered border.
    x0, y0, x1, y1 = rect_px(A["banner"], s)
    d.rectangle((x0, y0, x1, y1), fill=(215, 30, 40))
    for i, xx in enumerate(range(x0, x1, cell)):
        for j, yy in enumerate((y0, y1 - cell)):
            d.rectangle((xx, yy, xx + cell - 1, yy + cell - 1),
                        fill=(245, 245, 245) if (i + j) % 2 else (20, 20, 20))
    text = "FINISH"
    f = font("DejaVuSans-Bold.ttf", 150)
    bbox = d.textbbox((0, 0), text, font=f)
    tw, th = bbox[2] - bbox[0], bbox[3] - bbox[1]
    # The board is 3.6 x 0.9 units on a 384 x 256 patch: squeeze the word to undo the stretch.
    layer = Image.new("RGBA", (tw + 20, th + 20), (0, 0, 0, 0))
    ImageDraw.Draw(layer).text((10 - bbox[0], 10 - bbox[1]), text, font=f, fill=(255, 255, 255, 255),
                               stroke_width=4, stroke_fill=(40, 20, 20, 255))
    pw, ph = x1 - x0, y1 - y0 - 2 * cell
    aspect_fix = (0.9 / 3.6) * (pw / ph)  # image px per unit across vs down
    target_h = int(ph * 0.72)
    target_w = int(min(pw * 0.92, layer.width * target_h / layer.height * aspect_fix))
    layer = layer.resize((target_w, target_h), Image.LANCZOS)
    img.paste(layer, (x0 + (pw - target_w) // 2, y0 + cell + (ph - target_h) // 2), layer)
    return img


def splat():
    """Paint splat: opaque blob with droplets, fully transparent border (clamped by the game)."""
    s = 256
    yy, xx = np.mgrid[0:s, 0:s].astype(float)
    cx = cy = s / 2
    ang = np.arctan2(yy - cy, xx - cx)
    r = np.hypot(xx - cx, yy - cy)
    rg = rng(31)
    edge = 62 + np.zeros_like(ang)
    for k, amp in ((3, 6), (5, 7), (7, 5), (11, 4), (17, 2.5)):
        edge += amp * np.sin(k * ang + rg.uniform(0, 2 * math.pi))
    # A few long splash arms.
    for a0 in rg.uniform(-math.pi, math.pi, 7):
        d = np.angle(np.exp(1j * (ang - a0)))
        edge += rg.uniform(12, 30) * np.exp(-(d / 0.12) ** 2)
    inside = (r < edge).astype(float)
    for _ in range(16):
        a = rg.uniform(-math.pi, math.pi)
        dist = rg.uniform(78, 112)
        rad = rg.uniform(3, 9)
        px, py = cx + dist * math.cos(a), cy + dist * math.sin(a)
        inside = np.maximum(inside, (np.hypot(xx - px, yy - py) < rad).astype(float))
    alpha = Image.fromarray((inside * 255).astype(np.uint8)).filter(ImageFilter.GaussianBlur(1.2))
    a = np.asarray(alpha, float)
    a[:4, :] = a[-4:, :] = 0
    a[:, :4] = a[:, -4:] = 0
    # Wet paint: a lighter sheen towards the upper left, deeper colour at the rim.
    shade = np.clip(1.0 - 0.25 * (r / 120) + 0.15 * np.exp(-((xx - cx + 25) ** 2 + (yy - cy + 25) ** 2) / 900), 0, 1.2)
    base = np.array([235, 40, 150], float)
    rgb = np.clip(base[None, None, :] * shade[:, :, None], 0, 255)
    out = np.dstack([rgb, a]).astype(np.uint8)
    return Image.fromarray(out, "RGBA")


def particle():
    s = 64
    yy, xx = np.mgrid[0:s, 0:s].astype(float)
    # Fades to nothing a block short of the edge, so no compressed border block keeps alpha.
    r = np.hypot(xx - (s - 1) / 2, yy - (s - 1) / 2) / (s / 2 - 5)
    a = np.clip(np.exp(-3.5 * r ** 2) - np.exp(-3.5), 0, 1) / (1 - math.exp(-3.5))
    a[r >= 1] = 0
    rgb = np.clip(255 * (0.75 + 0.25 * a), 0, 255)
    out = np.dstack([rgb, rgb, rgb, a * 255]).astype(np.uint8)
    return Image.fromarray(out, "RGBA")


# ---------------------------------------------------------------------------------------------
# Font and crosshair


def font_atlas():
    """16 x 16 cells of 32 px, printable ASCII at its code, white glyphs on transparent.

    The HUD sets every character in a square, so glyphs are made as large as the cell allows
    and widened a little to fill it; one baseline for all keeps a line of text even.
    """
    cell = 32
    limit = cell - 4  # ink stays two texels clear of every edge, also after filtering
    codes = range(33, 127)

    def glyph(ch, size):
        f = font("DejaVuSansMono-Bold.ttf", size)
        canvas = Image.new("L", (3 * cell, 3 * cell), 0)
        ImageDraw.Draw(canvas).text((cell, cell), ch, font=f, fill=255)
        return canvas

    # Letters and digits fix the size and the baseline; taller signs such as brackets are
    # shrunk into the same band rather than making every letter smaller.
    alnum = [c for c in codes if chr(c).isalnum()]
    size = 44
    while True:
        boxes = {c: glyph(chr(c), size).getbbox() for c in codes}
        top = min(boxes[c][1] for c in alnum)
        bottom = max(boxes[c][3] for c in alnum)
        widest = max(boxes[c][2] - boxes[c][0] for c in alnum)
        if bottom - top <= limit and widest <= limit:
            break
        size -= 1
    band = bottom - top
    stretch = min(1.6, limit / widest)
    img = Image.new("L", (16 * cell, 16 * cell), 0)
    for code in codes:
        box = boxes[code]
        piece = glyph(chr(code), size).crop((box[0], min(top, box[1]), box[2], max(bottom, box[3])))
        w = piece.width * stretch
        h = piece.height
        shrink = min(1.0, band / h, limit / w)
        w, h = max(1, int(round(w * shrink))), max(1, int(round(h * shrink)))
        piece = piece.resize((w, h), Image.LANCZOS)
        col, row = code % 16, code // 16
        x = col * cell + (cell - w) // 2
        y = row * cell + (cell - band) // 2 + (band - h) // 2
        if w > limit or h > limit:
            raise RuntimeError(f"glyph {chr(code)!r} does not fit its cell")
        img.paste(piece, (x, y))
    a = np.asarray(img)
    white = np.full_like(a, 255)
    return Image.fromarray(np.dstack([white, white, white, a]), "RGBA")


def crosshair():
    """Square image stretched over the window; arms sized so they look equal on a 4:3 window."""
    s = 1024
    a = np.zeros((s, s), np.uint8)
    rgb = np.zeros((s, s, 3), np.uint8)
    c = s // 2  # the window's centre falls between texels c - 1 and c
    arm_x, arm_y = 16, 21  # 1024 x 768 squeezes the vertical arm by 3/4
    core, rim = 2, 2  # half thickness of the white core, width of the dark rim

    def bar(x0, x1, y0, y1, colour):
        rgb[y0:y1, x0:x1] = colour
        a[y0:y1, x0:x1] = 255

    # Dark rim under a white core: readable against sky, walls and paint alike.
    edge = core + rim
    bar(c - arm_x - rim, c + arm_x + rim, c - edge, c + edge, (25, 25, 30))
    bar(c - edge, c + edge, c - arm_y - rim, c + arm_y + rim, (25, 25, 30))
    bar(c - arm_x, c + arm_x, c - core, c + core, (255, 255, 255))
    bar(c - core, c + core, c - arm_y, c + arm_y, (255, 255, 255))
    return Image.fromarray(np.dstack([rgb, a]), "RGBA")
