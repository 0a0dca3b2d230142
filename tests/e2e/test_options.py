"""How a Linux player starts the game: options, the fullscreen question in a dialog or on a
terminal. The captured pointer is part of the session test."""

import os, pty, re, stat, subprocess, tempfile, unittest

from harness import SCREEN, GameRun, game_binary, source_dir

QUESTION = "Would you like to run in fullscreen?"
SIZE_LINE = r"Changing window size to: (\d+)/(\d+)"
WINDOWED = (1024, 768)


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
        for args, asked in (([], 1), (["--windowed"], 0)):
            master, slave = pty.openpty()
            os.write(master, b"n\n")  # typed ahead: no, windowed
            with self.subTest(args=args), GameRun(self.id(), sound="null", stdin=slave,
                                                  command=[game_binary()] + args) as game:
                game.wait_for(SIZE_LINE)
                self.assertEqual(game.count(re.escape(QUESTION)), asked, game.describe())
                self.assertEqual(game.geometry()[2:], WINDOWED)
            os.close(master)
            os.close(slave)

    def test_dialog_is_asked_once_and_its_answer_chooses_the_screen(self):
        screen = tuple(map(int, SCREEN.split("x")[:2]))
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
                with GameRun(self.id(), sound="null", env={"PATH": tools}) as game:
                    game.wait_for(SIZE_LINE)
                    self.assertEqual(game.geometry()[2:], size)
                    game.screenshot("%s-%d" % tuple(answers.items())[-1], whole_screen=True)
                    self.assertEqual(game.press_escape(), 0, game.describe())
                with open(record) as seen:
                    self.assertEqual(seen.read(), asked)


if __name__ == "__main__":
    unittest.main()
