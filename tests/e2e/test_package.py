"""The Debian package, packed from the build and unpacked into a scratch root, as a new player
meets it: the installed game started from elsewhere writes its settings, obeys them once edited
and lists the best times."""

import glob, math, os, re, shlex, shutil, stat, subprocess, tempfile, time, unittest

from harness import GameRun, scaled, source_dir

BUILD = os.environ.get("QUILLORA_BUILD_DIR", os.path.join(source_dir(), "build"))
CMAKE = os.environ.get("QUILLORA_CMAKE", "cmake")


def run(*command, **options):
    return subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, text=True,
                          timeout=scaled(300), **options)


def files(top):
    return sorted(os.path.relpath(os.path.join(d, f), top) for d, _, names in os.walk(top) for f in names)


@unittest.skipUnless(shutil.which("dpkg-deb"), "dpkg-deb is not installed")
class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="quillora-package-")
        cls.packed = run(os.path.join(os.path.dirname(CMAKE), "cpack"), "--config",
                         os.path.join(BUILD, "CPackConfig.cmake"), "-B", cls.scratch)
        cls.debs, cls.root = glob.glob(cls.scratch + "/quillora_*.deb"), cls.scratch + "/root"
        for deb in cls.debs:
            run("dpkg-deb", "-x", deb, cls.root, check=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def setUp(self):
        self.assertEqual(len(self.debs), 1, self.packed.stdout + self.packed.stderr)

    def test_it_holds_what_cmake_installs_under_usr_with_the_libraries_it_needs(self):
        version = run(os.path.join(BUILD, "quillora"), "--version").stdout.split()[1]
        arch = run("dpkg", "--print-architecture").stdout.strip()
        self.assertEqual(os.path.basename(self.debs[0]), "quillora_%s_%s.deb" % (version, arch))
        self.assertIn("libglfw3", run("dpkg-deb", "-f", self.debs[0], "Depends").stdout)
        env = dict(os.environ, DESTDIR=self.scratch + "/installed")
        run(CMAKE, "--install", BUILD, "--prefix", "/usr", env=env, check=True)
        self.assertEqual(files(self.scratch + "/installed"), files(self.root))

    @unittest.skipUnless(shutil.which("lintian"), "lintian is not installed")
    def test_lintian_finds_only_what_the_readme_explains(self):
        with open(os.path.join(source_dir(), "README.md")) as readme:
            explained = readme.read()
        found = run("lintian", "--tag-display-limit", "0", self.debs[0]).stdout
        tags = {line.split()[2] for line in found.splitlines() if line[:2] in ("E:", "W:")}
        self.assertEqual({tag for tag in tags if "`%s`" % tag not in explained}, set(), found)

    def test_a_new_player_edits_the_settings_and_the_next_start_obeys_them(self):
        home = tempfile.mkdtemp(dir=self.scratch)
        with open(self.root + "/usr/share/applications/quillora.desktop") as entry:  # the menu's
            exec_line = re.search(r"^Exec=(.*)$", entry.read(), re.M).group(1)
        launcher = self.root + shlex.split(exec_line)[0]
        with open(home + "/zenity", "w") as zenity:  # records that it asked, answers no
            zenity.write("#!/bin/sh\necho >> %s/asked\nexit 1\n" % home)
        os.chmod(home + "/zenity", stat.S_IRWXU)
        env = {"PATH": home, "XDG_CONFIG_HOME": home + "/config", "XDG_DATA_HOME": home + "/data"}
        settings = home + "/config/quillora/settings.ini"
        os.makedirs(home + "/data/quillora")
        with open(home + "/data/quillora/records", "w") as records:
            records.write("88.25 2026-12-02T11:30:00Z\n")
        edited = None
        for start in ("first", "again"):
            with GameRun(self.id() + start, command=[launcher], copy_data=False, env=env) as game:
                game.wait_for(r"^Changing window size to: \d+/\d+$")
                if edited:
                    game.click(1)  # the first click starts the game
                    game.wait_for(r"^Clicked on left mouse button")
                yaws = []
                for move in (0, -100) if edited else ():  # 100 pixels left: half of 0.5 radians
                    game.mouse_move_relative(move, 0)
                    time.sleep(scaled(1))
                    before = len(game.stdout_lines)
                    game.click(1)
                    _, throw = game.wait_for(r"Direction: (\S+)/\S+/(\S+)", after=before)
                    yaws.append(math.atan2(float(throw.group(1)), float(throw.group(2))))
                self.assertEqual(game.press_escape(), 0, game.describe())
                self.assertEqual(game.stderr, "", game.describe())
            if not edited:
                with open(settings) as written:
                    edited = written.read().replace("fullscreen = ask", "fullscreen = no").replace(
                        "pointer_speed = 1.0", "pointer_speed = 0.5")
                with open(settings, "w") as out:
                    out.write(edited)
        self.assertAlmostEqual(yaws[1] - yaws[0], 0.25, delta=0.03)
        with open(home + "/asked") as asked, open(settings) as kept:
            self.assertEqual((asked.read(), kept.read()), ("\n", edited))
        listed = run(launcher, "--records", env=game.env).stdout
        self.assertRegex(listed, r"\n 1\.\s+88\.25 s\s+2026-12-02 11:30:00 UTC\n")


if __name__ == "__main__":
    unittest.main()
