"""How a Linux player starts the game: options, the fullscreen question in a dialog or on a
terminal, and the captured pointer."""

import math
import os
import pty
import re
import select
import stat
import subprocess
import tempfile
import time
import unittest

from harness import SCREEN, GameRun, Xvfb, game_binary, scaled, source_dir

QUESTION = "Would you like to run in fullscreen?"
SIZE_LINE = r"Changing window size to: (\d+)/(\d+)"
WINDOWED = ("1024", "768")
VIEW_LINE = r"Direction: (-?[\d.]+)/(-?[\d.]+)/(-?[\d.]+)"
TURN_PER_PIXEL = 0.005  # radians of view per pixel of pointer motion


def project_version():
    with open(os.path.join(source_dir(), "CMakeLists.txt")) as cmake:
        return re.search(r"project\(Quillora VERSION ([\d.]+)", cmake.read()).group(1)


class Options(unittest.TestCase):
    def test_options_that_end_before_any_window(self):
        # No display at all: reaching GLFW would end with status 255 instead.
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        for args, status, stream, pattern in (
                (["--help"], 0, "stdout", r"^Usage: quillora .*--fullscreen.*--windowed"),
                (["--version"], 0, "stdout", r"^Quillora %s\n$" % re.escape(project_version())),
                (["--windowed", "--bogus"], 2, "stderr", r"^quillora: .*'--bogus'\nUsage:"),
                (["--", "maze"], 2, "stderr", r"^quillora: .*'maze'\nUsage:")):
            with self.subTest(args=args):
                run = subprocess.run([game_binary()] + args, env=env, capture_output=True,
                                     text=True, stdin=subprocess.DEVNULL, timeout=30)
                self.assertEqual(run.returncode, status, run.stderr)
                self.assertRegex(getattr(run, stream), re.compile(pattern, re.S))
                self.assertEqual(run.stdout if stream == "stderr" else run.stderr, "")

    def test_terminal_is_asked_unless_an_option_chose(self):
        for args, asked in (([], True), (["--windowed"], False)):
            with self.subTest(args=args):
                self.assertEqual(self.start_on_terminal(args), asked)

    def start_on_terminal(self, args):
        """Starts the game with a pseudo-terminal as stdin, answers no to any question, and
        tells whether it was asked before the window opened."""
        xvfb = Xvfb()
        master, slave = pty.openpty()
        game = None
        try:
            env = dict(os.environ, DISPLAY=xvfb.display, LIBGL_ALWAYS_SOFTWARE="1",
                       ALSOFT_DRIVERS="null")
            game = subprocess.Popen([game_binary()] + args, cwd=source_dir(), env=env,
                                    stdin=slave, stdout=subprocess.PIPE,
                                    stderr=subprocess.DEVNULL)
            # The question ends without a newline: read what comes, as a terminal shows it.
            seen, asked = "", False
            deadline = time.monotonic() + scaled(120)
            while time.monotonic() < deadline:
                if select.select([game.stdout], [], [], 0.5)[0]:
                    chunk = os.read(game.stdout.fileno(), 4096).decode(errors="replace")
                    if not chunk:
                        break
                    seen += chunk
                if QUESTION in seen and not asked:
                    asked = True
                    os.write(master, b"n\n")
                size = re.search(SIZE_LINE, seen)
                if size:
                    self.assertEqual(size.groups(), WINDOWED)
                    return asked
            self.fail("no window opened:\n" + seen[-2000:])
        finally:
            if game:
                game.kill()
                game.wait()
                game.stdout.close()
            os.close(master)
            os.close(slave)
            xvfb.stop()

    def test_dialog_is_asked_once_and_its_answer_chooses_the_screen(self):
        screen = tuple(SCREEN.split("x")[:2])
        zenity = "zenity|--question|--title=Fullscreen|--text=%s|\n" % QUESTION
        kdialog = "kdialog|--title|Fullscreen|--yesno|%s|\n" % QUESTION
        # A zenity that cannot show itself (status 255) leaves the question to kdialog.
        for answers, size, asked in (({"zenity": 1}, WINDOWED, zenity),
                                     ({"zenity": 0}, screen, zenity),
                                     ({"zenity": 255, "kdialog": 0}, screen, zenity + kdialog)):
            with self.subTest(answers=answers), tempfile.TemporaryDirectory() as tools:
                record = os.path.join(tools, "asked")
                for tool, answer in answers.items():
                    with open(os.path.join(tools, tool), "w") as script:
                        script.write('#!/bin/sh\nprintf "%%s|" "${0##*/}" "$@" >> %s\n'
                                     'echo >> %s\nexit %d\n' % (record, record, answer))
                    os.chmod(os.path.join(tools, tool), stat.S_IRWXU)
                path = tools + os.pathsep + os.environ["PATH"]
                with GameRun(self.id(), sound="null", env={"PATH": path}) as game:
                    game.wait_for(SIZE_LINE)
                    self.assertEqual(tuple(map(str, game.geometry()[2:])), size)
                    game.screenshot("%s-%d" % tuple(answers.items())[-1], whole_screen=True)
                    self.assertEqual(game.press_escape(), 0, game.describe())
                with open(record) as seen:
                    self.assertEqual(seen.read(), asked)

    def test_captured_pointer_turns_the_view_and_another_window_does_not(self):
        with GameRun(self.id(), sound="null") as game:
            game.wait_for(SIZE_LINE)
            window = game.window()
            game.click()
            game.wait_for(r"Clicked on left mouse button")
            pixels = 100
            game.mouse_move_relative(-pixels, 0)
            time.sleep(scaled(1))
            self.assertAlmostEqual(self.yaw(game), pixels * TURN_PER_PIXEL, delta=0.01)
            other = subprocess.Popen(["xmessage", "away"], env=game.env,
                                     stderr=subprocess.DEVNULL)
            try:
                away = game.xdotool("search", "--sync", "--onlyvisible", "--name",
                                    "^xmessage$").split()[-1]
                game.xdotool("windowfocus", "--sync", away)
                time.sleep(scaled(1))  # the game lets go in its next frame
                # Free again: the pointer stays wherever it is put.
                game.xdotool("mousemove", 700, 300)
                time.sleep(scaled(1))
                self.assertIn("x:700 y:300", game.xdotool("getmouselocation"))
                game.xdotool("windowfocus", "--sync", window)
                time.sleep(scaled(1))
            finally:
                other.kill()
                other.wait()
            self.assertAlmostEqual(self.yaw(game), pixels * TURN_PER_PIXEL, delta=0.01)
            self.assertEqual(game.press_escape(), 0, game.describe())

    @staticmethod
    def yaw(game):
        """The view's yaw, from the line a throw logs."""
        after = len(game.stdout_lines)
        game.click()
        x, _, z = (float(v) for v in game.wait_for(VIEW_LINE, after=after)[1].groups())
        return math.atan2(x, z)

if __name__ == "__main__":
    unittest.main()
