"""A player's session on the real binary, and every fatal start-up path."""

import math, os, subprocess, time, unittest

import numpy
from PIL import Image

from harness import GameRun, layout_difference, scaled, source_dir

READY = r"^Changing window size to: \d+/\d+$"
THROW = r"^Adding Ball on position: (\S+)/(\S+)/(\S+) \| Direction: (\S+)/(\S+)/(\S+)"


def yaw(direction):
    """Radians about y, from +z towards +x, within (-pi, pi]."""
    return math.atan2(direction[0], direction[2])


def poster(name):
    with Image.open(os.path.join(source_dir(), "Util", "Files", name)) as image:
        return image.convert("RGB")


class Session(unittest.TestCase):
    def throw(self, game):
        """Throws once; the logged position and direction as numpy vectors."""
        before = len(game.stdout_lines)
        game.click(1)
        _, match = game.wait_for(THROW, after=before)
        values = numpy.array([float(v) for v in match.groups()])
        return values[:3], values[3:]

    def assertShows(self, game, name, label, shown=True):
        def showing(picture):
            return (layout_difference(picture, poster(name)) < 40.0) == shown
        game.wait_for_picture(showing, label)

    def test_play_a_session(self):
        with GameRun(self.id()) as game:
            game.wait_for(READY)
            self.assertShows(game, "poster_play.tga", "poster")
            game.hold_key("w", 0.5)
            self.assertEqual(game.count(r"^Key '"), 0, "keys work before the click")
            game.click(1)
            game.wait_for(r"^Clicked on left mouse button - firing 1 ball$")
            self.assertShows(game, "poster_play.tga", "playing", shown=False)
            self.assertEqual(game.count(THROW), 0, "the starting click threw")

            start, ahead = self.throw(game)
            game.hold_key("w", 1.0)
            walked, _ = self.throw(game)
            self.assertGreater(numpy.dot((walked - start)[[0, 2]], ahead[[0, 2]]), 1.0, game.describe())
            # The pointer moved left turns the view left, from +z towards +x.
            game.mouse_move_relative(-100, 0)
            time.sleep(scaled(1))
            _, turned = self.throw(game)
            self.assertGreater(yaw(turned) - yaw(ahead), 0.2, game.describe())
            # Another window takes the focus: the pointer is free, and the view does not jump.
            other = subprocess.Popen(["xmessage", "away"], env=game.env, stderr=subprocess.DEVNULL)
            try:
                away = game.xdotool("search", "--sync", "--onlyvisible", "--name", "^xmessage$")
                game.xdotool("windowfocus", "--sync", away.split()[-1])
                time.sleep(scaled(1))  # the game lets go in its next frame
                game.xdotool("mousemove", 700, 300)
                time.sleep(scaled(1))
                self.assertIn("x:700 y:300", game.xdotool("getmouselocation"))
                game.xdotool("windowfocus", "--sync", game.window())
                time.sleep(scaled(1))
            finally:
                other.kill()
                other.wait()
            self.assertAlmostEqual(yaw(self.throw(game)[1]), yaw(turned), delta=0.01)
            game.wait_for(r"^Number of projections is 3$", timeout=60)

            game.key("F1")
            game.wait_for(r"^Switching help screen on$")
            self.assertShows(game, "poster_help.tga", "help")
            game.key("F1")
            game.wait_for(r"^Switching help screen off$")

            self.assertEqual(game.press_escape(), 0, game.describe())
            self.assertEqual(game.count("OpenGL error"), 0, game.describe())
            self.assertEqual(game.stderr, "", game.describe())
            samples, rate = game.wav()
            self.assertGreater(numpy.sqrt(numpy.mean(samples[-rate:] ** 2)), 0.003, "no music")


def remove(relative):
    return lambda run_dir: os.remove(os.path.join(run_dir, relative))


class FatalExits(unittest.TestCase):
    """Each ends with status 255 and its message on stderr, by itself (stdin is no terminal),
    before reading what comes later. Shader failures are pinned by the shader unit tests."""

    CASES = [  # (name, run options, message on stderr, what it must not load first)
        ("no sound device", dict(sound="none"), "Could not startup sound engine",
         r"^Loading (OBJ|non textured OBJ|heightmap|walls)"),
        ("missing maze", dict(prepare=remove("Util/Files/Labyrinth2.txt")),
         "Error reading object from file: 'Util/Files/Labyrinth2.txt'", r"finish\.DDS|poster_play\.tga|\.mp3"),
    ]

    def test_fatal_exits(self):
        for name, options, message, absent in self.CASES:
            with self.subTest(name), GameRun(name, **options) as game:
                self.assertEqual(game.wait_exit(60), 255, game.describe())
                self.assertIn(message, game.stderr, game.describe())
                self.assertEqual(game.count(absent), 0, game.describe())


if __name__ == "__main__":
    unittest.main()
