"""Full-screen posters: 1024 x 768, laid out to be read at that size."""

import math

import numpy as np
from PIL import Image, ImageDraw, ImageFilter

from images import font, rng, splat, vertical_gradient

W, H = 1024, 768
BOLD = "DejaVuSans-Bold.ttf"
REGULAR = "DejaVuSans.ttf"
MONO = "DejaVuSansMono-Bold.ttf"


def _maze_pattern(img, colour, seed, cell=48, width=6):
    """Faint maze walls behind everything: a random spanning tree on a coarse grid."""
    d = ImageDraw.Draw(img)
    cols, rows = W // cell + 1, H // cell + 1
    r = rng(seed)
    seen = np.zeros((rows, cols), bool)
    stack = [(rows // 2, cols // 2)]
    seen[stack[0]] = True
    open_edges = set()
    while stack:
        y, x = stack[-1]
        nbrs = [(y + dy, x + dx) for dy, dx in ((0, 1), (1, 0), (0, -1), (-1, 0))
                if 0 <= y + dy < rows and 0 <= x + dx < cols and not seen[y + dy, x + dx]]
        if not nbrs:
            stack.pop()
            continue
        ny, nx = nbrs[r.integers(len(nbrs))]
        seen[ny, nx] = True
        open_edges.add(frozenset(((y, x), (ny, nx))))
        stack.append((ny, nx))
    for y in range(rows):
        for x in range(cols):
            px, py = x * cell, y * cell
            if frozenset(((y, x), (y, x + 1))) not in open_edges:
                d.line((px + cell, py, px + cell, py + cell), fill=colour, width=width)
            if frozenset(((y, x), (y + 1, x))) not in open_edges:
                d.line((px, py + cell, px + cell, py + cell), fill=colour, width=width)


def _splats(img, spots):
    blob = splat()
    alpha = blob.split()[3]
    for (x, y, size, colour, angle) in spots:
        a = alpha.rotate(angle, resample=Image.BICUBIC).resize((size, size), Image.LANCZOS)
        layer = Image.new("RGB", (size, size), colour)
        img.paste(layer, (x - size // 2, y - size // 2), a)


def _centred(d, y, text, f, fill, shadow=None, stroke=0, stroke_fill=None, x=W // 2):
    bbox = d.textbbox((0, 0), text, font=f, stroke_width=stroke)
    tw = bbox[2] - bbox[0]
    pos = (x - tw // 2 - bbox[0], y)
    if shadow:
        d.text((pos[0] + 5, pos[1] + 6), text, font=f, fill=shadow, stroke_width=stroke, stroke_fill=shadow)
    d.text(pos, text, font=f, fill=fill, stroke_width=stroke, stroke_fill=stroke_fill)
    return bbox[3] - bbox[1]


def _panel(img, box, fill, radius=28, alpha=200):
    layer = Image.new("RGBA", img.size, (0, 0, 0, 0))
    ImageDraw.Draw(layer).rounded_rectangle(box, radius=radius, fill=fill + (alpha,))
    img.paste(layer, (0, 0), layer)


def _title(img, text, colour, outline, size=150, y=70):
    d = ImageDraw.Draw(img)
    f = font(BOLD, size)
    _centred(d, y, text, f, colour, shadow=(10, 10, 30), stroke=6, stroke_fill=outline)


def play():
    img = vertical_gradient((W, H), (24, 60, 110), (12, 24, 48))
    _maze_pattern(img, (40, 82, 130), 5)
    _panel(img, (40, 250, W - 40, 630), (12, 18, 40), alpha=215)
    # Paint lands on top of the panel's corners, as if thrown at the poster.
    _splats(img, [(110, 120, 230, (236, 60, 150), 0), (950, 705, 190, (250, 190, 40), 80),
                  (900, 110, 150, (60, 200, 120), 30), (80, 705, 150, (70, 160, 250), 140)])
    _title(img, "Quillora", (255, 214, 64), (170, 40, 110), size=160, y=55)
    d = ImageDraw.Draw(img)
    _centred(d, 290, "Reach the finish gate within 5 minutes!", font(BOLD, 40), (240, 240, 250))
    lines = [("Walk the maze with W A S D and the mouse.", (200, 214, 240)),
             ("Throw paint balls to mark your way, and hit", (200, 214, 240)),
             ("ducks, cars and croctopuses for bonuses.", (200, 214, 240))]
    for k, (t, c) in enumerate(lines):
        _centred(d, 372 + 42 * k, t, font(REGULAR, 31), c)
    _centred(d, 535, "Click to start", font(BOLD, 62), (120, 240, 140), stroke=3, stroke_fill=(20, 70, 30))
    _centred(d, 680, "F1 shows the controls in the game.    Esc quits.", font(BOLD, 26), (210, 220, 240))
    return img


def _keycap(d, x, y, label, w=None):
    f = font(BOLD, 26)
    bbox = d.textbbox((0, 0), label, font=f)
    tw = bbox[2] - bbox[0]
    w = w or max(52, tw + 26)
    d.rounded_rectangle((x, y + 4, x + w, y + 48), radius=9, fill=(70, 76, 96))
    d.rounded_rectangle((x, y, x + w, y + 43), radius=9, fill=(238, 240, 248), outline=(40, 44, 60), width=2)
    d.text((x + (w - tw) / 2 - bbox[0], y + 7), label, font=f, fill=(20, 24, 40))
    return w


def help_():
    img = vertical_gradient((W, H), (36, 40, 84), (16, 18, 40))
    _maze_pattern(img, (48, 54, 104), 7)
    _splats(img, [(970, 60, 150, (236, 60, 150), 20), (70, 60, 130, (250, 190, 40), 200)])
    _panel(img, (36, 120, W - 36, H - 28), (10, 12, 30), alpha=220)
    d = ImageDraw.Draw(img)
    _centred(d, 22, "How to play", font(BOLD, 76), (255, 214, 64), shadow=(8, 8, 20), stroke=3,
             stroke_fill=(130, 40, 100))
    text = font(REGULAR, 27)
    left = [
        (["W", "A", "S", "D"], "walk"),
        (["Mouse"], "look around"),
        (["Left click"], "throw a ball"),
        (["Right click"], "throw three balls"),
        (None, "(once you hit a croctopus)"),
        (["Esc"], "quit"),
    ]
    right = [
        ("F1", "help on / off"), ("F2", "frame time"), ("F3", "wireframe"),
        ("F4", "texture filtering"), ("F5", "mip-mapping"), ("F6", "fly mode"),
        ("F7", "terrain shader"), ("F8", "view-frustum culling"), ("F9", "transparency"),
        ("F10", "debug row"),
    ]
    y = 150
    for keys, what in left:
        if keys is None:
            d.text((80, y - 6), what, font=font(REGULAR, 23), fill=(170, 190, 230))
            y += 40
            continue
        x = 70
        for k in keys:
            x += _keycap(d, x, y, k) + 8
        d.text((max(x + 14, 300), y + 6), what, font=text, fill=(236, 238, 250))
        y += 64
    # Bonus legend under the left column.
    y += 8
    d.text((70, y), "Bonus items", font=font(BOLD, 28), fill=(255, 214, 64))
    y += 42
    for colour, name, gain in (((80, 140, 255), "Duck", "+50 balls"), ((255, 70, 70), "Car", "+30 seconds"),
                               ((80, 220, 100), "Croctopus", "triple throw")):
        d.polygon([(82, y + 6), (110, y + 6), (96, y + 32)], fill=colour)
        d.text((124, y + 2), f"{name}: {gain}", font=text, fill=(236, 238, 250))
        y += 40
    d.line((560, 150, 560, H - 60), fill=(70, 80, 120), width=2)
    y = 146
    for key, what in right:
        _keycap(d, 590, y, key, w=70)
        d.text((680, y + 6), what, font=text, fill=(236, 238, 250))
        y += 57
    return img


def win():
    img = vertical_gradient((W, H), (255, 196, 60), (230, 90, 40))
    # Sun rays behind the title.
    layer = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    cx, cy = W // 2, 230
    for k in range(24):
        a0 = 2 * math.pi * k / 24
        a1 = a0 + math.pi / 24
        d.polygon([(cx, cy), (cx + 1400 * math.cos(a0), cy + 1400 * math.sin(a0)),
                   (cx + 1400 * math.cos(a1), cy + 1400 * math.sin(a1))], fill=(255, 240, 170, 70))
    img.paste(layer, (0, 0), layer)
    # Chequered finish band across the bottom.
    d = ImageDraw.Draw(img)
    cell = 32
    for j in range(3):
        for i in range(W // cell):
            d.rectangle((i * cell, H - 96 + j * cell, i * cell + cell - 1, H - 96 + j * cell + cell - 1),
                        fill=(250, 250, 250) if (i + j) % 2 else (20, 20, 20))
    _splats(img, [(120, 120, 200, (236, 60, 150), 10), (910, 140, 180, (60, 140, 250), 100),
                  (150, 560, 150, (60, 200, 120), 200), (880, 560, 170, (150, 60, 220), 300)])
    _title(img, "You made it!", (255, 255, 255), (200, 60, 30), size=120, y=140)
    d = ImageDraw.Draw(img)
    _centred(d, 330, "You reached the finish gate in time.", font(BOLD, 42), (70, 30, 10))
    _centred(d, 400, "The maze is yours.", font(BOLD, 42), (70, 30, 10))
    _centred(d, 560, "Press Esc to quit", font(BOLD, 38), (255, 255, 255), stroke=3, stroke_fill=(120, 40, 20))
    return img


def lose():
    img = vertical_gradient((W, H), (40, 20, 60), (10, 6, 20))
    _maze_pattern(img, (60, 34, 80), 9)
    _splats(img, [(130, 640, 220, (120, 30, 60), 40), (900, 120, 200, (60, 40, 110), 220)])
    d = ImageDraw.Draw(img)
    # An empty clock face at a minute past twelve: time's up.
    cx, cy, r = W // 2, 250, 130
    d.ellipse((cx - r - 10, cy - r - 10, cx + r + 10, cy + r + 10), fill=(150, 40, 60))
    d.ellipse((cx - r, cy - r, cx + r, cy + r), fill=(245, 236, 220))
    for k in range(12):
        a = 2 * math.pi * k / 12
        d.line((cx + 0.82 * r * math.sin(a), cy - 0.82 * r * math.cos(a),
                cx + 0.95 * r * math.sin(a), cy - 0.95 * r * math.cos(a)), fill=(40, 30, 50), width=8)
    d.line((cx, cy, cx, cy - 0.62 * r), fill=(40, 30, 50), width=14)
    d.line((cx, cy, cx + 0.8 * r * math.sin(0.1), cy - 0.8 * r * math.cos(0.1)), fill=(200, 30, 40), width=7)
    d.ellipse((cx - 12, cy - 12, cx + 12, cy + 12), fill=(40, 30, 50))
    _title(img, "Time's up!", (255, 90, 90), (60, 10, 20), size=120, y=410)
    d = ImageDraw.Draw(img)
    _centred(d, 575, "The maze wins this time.", font(BOLD, 42), (230, 220, 240))
    _centred(d, 660, "Press Esc to quit", font(BOLD, 34), (190, 180, 210))
    return img


def build_all(out, write_tga):
    write_tga(f"{out}/poster_play.tga", play())
    write_tga(f"{out}/poster_help.tga", help_())
    write_tga(f"{out}/poster_win.tga", win())
    write_tga(f"{out}/poster_lose.tga", lose())
