"""Small measurements on screenshots, so the end-to-end tests can look at the picture for us.

Colours are (r, g, b) in 0..255; a box is (left, top, right, bottom) in pixels, right and
bottom exclusive, or fractions of the picture when every value is at most 1.0.
"""

import numpy
from PIL import Image


def _array(image, box=None):
    picture = image.convert("RGB")
    if box is not None:
        picture = picture.crop(_pixels(picture, box))
    return numpy.asarray(picture, dtype=numpy.float64)


def _pixels(image, box):
    if all(isinstance(v, float) and 0.0 <= v <= 1.0 for v in box):
        width, height = image.size
        box = (round(box[0] * width), round(box[1] * height),
               round(box[2] * width), round(box[3] * height))
    left, top, right, bottom = (int(v) for v in box)
    if not (0 <= left < right <= image.size[0] and 0 <= top < bottom <= image.size[1]):
        raise ValueError("box %r outside a %dx%d picture" % (box, image.size[0], image.size[1]))
    return left, top, right, bottom


def mean_colour(image, box=None):
    """The average colour of a region."""
    pixels = _array(image, box)
    return tuple(float(v) for v in pixels.reshape(-1, 3).mean(axis=0))


def fraction_matching(image, colour, tolerance=16, box=None):
    """The share of pixels whose every channel is within tolerance of the colour."""
    pixels = _array(image, box).reshape(-1, 3)
    close = numpy.all(numpy.abs(pixels - numpy.asarray(colour, dtype=numpy.float64)) <= tolerance,
                      axis=1)
    return float(close.mean())


def difference(first, second, box=None):
    """Mean absolute difference per channel (0 same, 255 opposite); the second picture is
    scaled to the first one's size when they differ."""
    if second.size != first.size:
        second = second.convert("RGB").resize(first.size, Image.BILINEAR)
    return float(numpy.abs(_array(first, box) - _array(second, box)).mean())


def block_means(image, columns=8, rows=6):
    """The mean colour of each cell of a columns x rows grid (rows x columns x 3)."""
    pixels = _array(image)
    height, width, _ = pixels.shape
    cells = numpy.zeros((rows, columns, 3))
    for r in range(rows):
        for c in range(columns):
            cell = pixels[r * height // rows:(r + 1) * height // rows,
                          c * width // columns:(c + 1) * width // columns]
            cells[r, c] = cell.reshape(-1, 3).mean(axis=0)
    return cells


def resembles(image, reference, columns=8, rows=6, tolerance=40.0):
    """True when every cell of a coarse grid has about the reference's mean colour: the same
    picture, whatever filtering or scaling happened on the way to the screen."""
    return layout_difference(image, reference, columns, rows) <= tolerance


def layout_difference(image, reference, columns=8, rows=6):
    """The largest per-cell colour distance (mean over channels) of the coarse grids."""
    ours = block_means(image, columns, rows)
    theirs = block_means(reference, columns, rows)
    return float(numpy.abs(ours - theirs).mean(axis=2).max())


def distinct_colours(image, box=None, step=8):
    """The number of distinct colours after quantising each channel to `step` levels: a blank
    or single-colour screen has one or two."""
    pixels = (_array(image, box) // step).astype(numpy.int64).reshape(-1, 3)
    return int(len(numpy.unique(pixels[:, 0] * 65536 + pixels[:, 1] * 256 + pixels[:, 2])))
