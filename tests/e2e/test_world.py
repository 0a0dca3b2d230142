"""The scripted player's own knowledge of the world: if its wall distances, ground heights, ball
flights, HUD reading or sound colours were wrong, the play-through would fail (or pass) for
reasons that have nothing to do with the game."""

import math
import os
import shutil
import tempfile
import unittest

import numpy
from PIL import Image

import world as w
from harness import source_dir


def small_world(heights, walls):
    """A world folder with a heightmap of the given heights (rows by z) and the given walls."""
    root = tempfile.mkdtemp(prefix="quillora-world-")
    files = os.path.join(root, "Util", "Files")
    os.makedirs(files)
    grey = numpy.clip(numpy.asarray(heights, dtype=float) * 15.0, 0, 255).astype(numpy.uint8)
    # The game's scan line 0 is the bottom row of the picture.
    Image.fromarray(numpy.flipud(grey), "L").convert("RGB").save(
        os.path.join(files, "heightmap3.png"))
    with open(os.path.join(files, "Labyrinth2.txt"), "w") as maze:
        maze.write("// test maze\n\n")
        for x1, z1, x2, z2 in walls:
            maze.write("%g/%g %g/%g\n" % (x1, z1, x2, z2))
    return root


class WorldModel(unittest.TestCase):
    def setUp(self):
        heights = numpy.full((40, 40), 2.0)
        heights[30:, :] = 10.0  # a cliff across z = 30
        self.root = small_world(heights, [(10, 10, 10, 20), (5, 25, 15, 25)])
        self.world = w.World(self.root)

    def tearDown(self):
        shutil.rmtree(self.root, ignore_errors=True)

    def test_heights_read_as_the_game_reads_them(self):
        self.assertAlmostEqual(self.world.cell_height(3.9, 29.9), 2.0)
        self.assertAlmostEqual(self.world.cell_height(3.9, 30.0), 10.0)
        self.assertAlmostEqual(self.world.cell_height(-5, 100), 10.0)  # clamped to the edge
        self.assertAlmostEqual(self.world.height_at(12.5, 12.5), 2.0)
        # Smoothing towards lower z: a grid point at the cliff's foot is a blend.
        blend = self.world.height_at(12.0, 30.0)
        self.assertGreater(blend, 2.0)
        self.assertLess(blend, 10.0)

    def test_clearance_of_points_and_walks(self):
        self.assertAlmostEqual(self.world.clearance((12, 15)), 2.0)
        self.assertAlmostEqual(self.world.clearance((10, 22)), 2.0)  # past the wall's end
        self.assertEqual(self.world.clearance((8, 15), (12, 15)), 0.0)  # through the wall
        self.assertAlmostEqual(self.world.clearance((8, 5), (8, 9)), math.hypot(2, 1))
        # (x, y, z) poses are taken on the ground plane.
        self.assertAlmostEqual(self.world.clearance((12, 99.0, 15)), 2.0)

    def test_a_level_throw_follows_the_parabola_and_lands_on_the_ground(self):
        eye = (20.0, 3.5, 5.0)
        end, item, _ = w.fly(self.world, eye, 0.0, 0.0, items=[])
        self.assertEqual((end, item), ("ground", None))
        # Where the parabola from 0.5 ahead of the eye, launched 20 degrees up at 12, comes
        # down to 0.2 above the ground.
        angle = math.radians(20.0)
        speed = 12.0 * math.cos(angle)
        d = next(d / 100.0 for d in range(1, 5000)
                 if 3.5 + d / 100.0 * math.tan(angle) - 9.81 * (d / 100.0) ** 2 / (2 * speed ** 2)
                 <= 2.2)
        self.assertGreater(d, 8.0)
        ends_before = w.fly(self.world, eye, 0.0, 0.0, items=[("duck", 20.0, 2.25, 5.5 + d - 0.3)])
        self.assertEqual(ends_before[0], "item")

    def test_throws_meet_walls_and_items_on_the_way(self):
        eye = (5.0, 3.5, 15.0)
        toward_wall = math.atan2(1.0, 0.0)  # along +x, into the wall at x = 10
        self.assertEqual(w.fly(self.world, eye, toward_wall, 0.0, items=[])[0], "wall")
        item = ("car", 7.5, 3.8, 15.0)
        end, index, closest = w.fly(self.world, eye, toward_wall, 0.0, items=[item])
        self.assertEqual((end, index), ("item", 0))
        self.assertLessEqual(closest[0], w.ITEM_REACH)
        # Aimed from a spot that sees it, some pitch hits it; a wall in between, none does.
        self.assertIsNotNone(w.pitches_that_hit(self.world, eye, toward_wall, 0, items=[item]))
        behind = ("car", 12.0, 3.0, 15.0)
        self.assertIsNone(w.pitches_that_hit(self.world, eye, toward_wall, 0, items=[behind]))


class HudReading(unittest.TestCase):
    def setUp(self):
        self.reader = w.HudReader(source_dir())
        with Image.open(w.data_file(source_dir(), "font.tga")) as image:
            self.font = numpy.asarray(image.convert("RGBA"), dtype=numpy.float64) / 255.0

    def draw(self, lines, size=(1024, 768)):
        """A picture of HUD lines drawn from the font the way the text overlay lays them out:
        (text, x, y, colour) in 800 x 600 units from the bottom left, 20 units a character."""
        picture = numpy.full((size[1], size[0], 3), 255.0)
        ink = self.font[:, :, 3] * self.font[:, :, :3].max(axis=2)
        cell = ink.shape[0] // 16
        sx, sy = size[0] / 800.0, size[1] / 600.0
        for text, x, y, colour in lines:
            for i, character in enumerate(text):
                code = ord(character)
                glyph = ink[(code // 16) * cell:(code // 16 + 1) * cell,
                            (code % 16) * cell:(code % 16 + 1) * cell]
                left, top = round((x + 20 * i) * sx), round(size[1] - (y + 20) * sy)
                side = round(20 * sx)
                scaled = numpy.asarray(Image.fromarray((glyph * 255).astype(numpy.uint8)).resize(
                    (side, side), Image.BILINEAR), dtype=numpy.float64)[:, :, None] / 255.0
                region = picture[top:top + side, left:left + side]
                region[:] = region * (1 - scaled) + numpy.asarray(colour) * scaled
        return Image.fromarray(picture.astype(numpy.uint8))

    def test_clock_balls_and_distance_with_their_colours(self):
        shot = self.draw([("04:57", 10, 560, (0, 0, 0)), ("8", 10, 540, (255, 0, 0)),
                          ("128m", 10, 520, (0, 0, 0))])
        self.assertEqual(self.reader.read(shot, 10, 560), ("04:57", "black"))
        self.assertEqual(self.reader.read(shot, 10, 540), ("8", "red"))
        self.assertEqual(self.reader.read(shot, 10, 520), ("128m", "black"))
        self.assertEqual(self.reader.read(shot, 10, 500), ("", None))

    def test_every_digit_and_a_minus_sign_are_told_apart(self):
        for text in ("01234", "56789", "00:-1"):
            shot = self.draw([(text, 10, 560, (255, 0, 0))])
            self.assertEqual(self.reader.read(shot, 10, 560), (text, "red"))


class SoundColour(unittest.TestCase):
    def test_the_same_sound_matches_whatever_its_loudness_and_another_does_not(self):
        rate = 22050
        t = numpy.arange(rate) / rate
        bugle = sum(numpy.sin(2 * numpy.pi * f * t) / k for k, f in enumerate((392, 784, 1176), 1))
        hum = numpy.sin(2 * numpy.pi * 110 * t) + 0.3 * numpy.random.RandomState(1).randn(rate)
        self.assertGreater(w.similarity(w.spectrum(bugle, rate), w.spectrum(0.1 * bugle, rate)),
                           0.99)
        self.assertLess(w.similarity(w.spectrum(bugle, rate), w.spectrum(hum, rate)), 0.5)


if __name__ == "__main__":
    unittest.main()
