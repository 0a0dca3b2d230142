"""Start-up and its fatal exits, seen from outside: the real game on a virtual display."""

import ctypes.util
import os
import subprocess
import sys
import unittest

from PIL import Image

import pixels
from harness import GameRun, source_dir

WINDOW_READY = r"^Changing window size to: \d+/\d+$"
FATAL_STATUS = 255  # exit(-1)


def remove(relative):
    def prepare(run_dir):
        os.remove(os.path.join(run_dir, relative))
    return prepare


def poster(name):
    with Image.open(os.path.join(source_dir(), "Util", "Files", name)) as image:
        return image.convert("RGB")


class StartUp(unittest.TestCase):
    def test_reaches_the_frame_loop_and_escape_ends_with_status_0(self):
        with GameRun(self.id()) as game:
            game.wait_for(r"^Loading sound engine\.$")
            game.wait_for(WINDOW_READY)
            x, y, width, height = game.geometry()
            self.assertEqual((width, height), (1024, 768))
            # The loop is running once the poster is on screen instead of the white clear.
            game.wait_for_picture(lambda shot: pixels.distinct_colours(shot) > 8, "running")
            self.assertEqual(game.press_escape(), 0, game.describe())
            self.assertEqual(game.count(r"OpenGL error"), 0, game.describe())
            self.assertEqual(game.stderr, "", game.describe())
            # The music already plays under the start poster.
            sound = game.wav()
            self.assertGreater(sound.section(sound.seconds - 1.0).rms(), 0.003)

    def test_play_poster_then_first_left_click_starts_the_game(self):
        play = poster("poster_play.tga")
        with GameRun(self.id()) as game:
            game.wait_for(WINDOW_READY)
            shown = game.wait_for_picture(lambda shot: pixels.resembles(shot, play), "poster")
            self.assertLess(pixels.difference(shown, play), 40.0)

            game.click(1)
            index, _ = game.wait_for(r"^Clicked on left mouse button - firing 1 ball$")
            # The starting click throws nothing.
            self.assertEqual(game.count(r"^Adding Ball on position"), 0, game.describe())
            started = game.wait_for_picture(
                lambda shot: pixels.layout_difference(shot, play) > 40.0, "playing")
            self.assertGreater(pixels.distinct_colours(started), 8)

            game.click(1)
            game.wait_for(r"^Adding Ball on position: ", after=index + 1)
            self.assertEqual(game.press_escape(), 0, game.describe())


class FatalExits(unittest.TestCase):
    """Every fatal start-up path prints its line on stderr and ends with status 255 by itself:
    with stdin not a terminal the console pause must not wait."""

    def assertFatal(self, game, message):
        status = game.wait_exit(60)
        self.assertEqual(status, FATAL_STATUS, game.describe())
        self.assertIn(message, game.stderr, game.describe())

    def test_driver_that_opens_nothing_is_no_sound_device(self):
        # The case below is only meaningful if OpenAL Soft really opens no device with it.
        library = ctypes.util.find_library("openal") or "libopenal.so.1"
        probe = ("import ctypes; al = ctypes.CDLL(%r); al.alcOpenDevice.restype = ctypes.c_void_p;"
                 "print(al.alcOpenDevice(None) or 0)" % library)
        env = dict(os.environ, ALSOFT_DRIVERS="nonexistent", ALSOFT_CONF="/dev/null")
        result = subprocess.run([sys.executable, "-c", probe], env=env, capture_output=True,
                                text=True, timeout=30)
        self.assertEqual(result.stdout.strip(), "0", result.stderr)

    def test_no_sound_device_ends_start_up_before_any_asset(self):
        with GameRun(self.id(), sound="none") as game:
            self.assertFatal(game, "Could not startup sound engine")
            self.assertIn("Loading sound engine.", game.stdout_lines, game.describe())
            self.assertEqual(game.count(r"^Loading (OBJ|non textured OBJ|heightmap|walls)"), 0,
                             game.describe())

    def test_missing_shader_file_names_it(self):
        with GameRun(self.id(), prepare=remove("Shader/phong.vert")) as game:
            self.assertFatal(game, "Failed to open shader file: Shader/phong.vert")

    def test_shader_that_does_not_compile_prints_the_log(self):
        def break_shader(run_dir):
            with open(os.path.join(run_dir, "Shader", "phong.frag"), "w") as source:
                source.write("#version 330 core\nout vec4 fragColor;\nvoid main() { fragColor = ; }\n")
        with GameRun(self.id(), prepare=break_shader) as game:
            self.assertFatal(game, "Failed to compile shader")

    def test_missing_maze_file_names_it(self):
        maze = "Util/Files/Labyrinth2.txt"
        with GameRun(self.id(), prepare=remove(maze)) as game:
            self.assertFatal(game, "Error reading object from file: '%s'" % maze)
            self.assertIn("Error opening file '%s'" % maze, game.stderr_lines)
            # It ends before the game's own textures and sounds are read.
            self.assertEqual(game.count(r"finish\.DDS|poster_play\.tga|\.mp3"), 0, game.describe())


if __name__ == "__main__":
    unittest.main()
