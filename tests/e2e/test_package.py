"""The Debian package, packed from the build and unpacked into a scratch root, as a new player
meets it: the installed game started from elsewhere writes its settings, obeys them once edited
and lists the best times."""

import glob, math, os, shutil, stat, subprocess, tempfile, time, unittest

from harness import GameRun, scaled, source_dir

READY = r"^Changing window size to: \d+/\d+$"
THROW = r"^Adding Ball on position: \S+ \| Direction: (\S+)/\S+/(\S+)"
BUILD = os.environ.get("QUILLORA_BUILD_DIR", os.path.join(source_dir(), "build"))
CMAKE = os.environ.get("QUILLORA_CMAKE", "cmake")


def run(*command, **options):
    return subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, text=True,
                          timeout=scaled(300), **options)


@unittest.skipUnless(shutil.which("dpkg-deb"), "dpkg-deb is not installed")
class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="quillora-package-")
        cls.packed = run(os.path.join(os.path.dirname(CMAKE), "cpack"), "--config",
                         os.path.join(BUILD, "CPackConfig.cmake"), "-B", cls.scratch)
        cls.debs = glob.glob(os.path.join(cls.scratch, "quillora_*.deb"))
        cls.root = os.path.join(cls.scratch, "root")
        for deb in cls.debs:
            run("dpkg-deb", "-x", deb, cls.root, check=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def setUp(self):
        self.assertEqual(len(self.debs), 1, self.packed.stdout + self.packed.stderr)

    def test_it_holds_what_cmake_installs_under_usr_with_the_libraries_it_needs(self):
        arch = run("dpkg", "--print-architecture").stdout.strip()
        version = run(os.path.join(BUILD, "quillora"), "--version").stdout.split()[1]
        self.assertEqual(os.path.basename(self.debs[0]), "quillora_%s_%s.deb" % (version, arch))
        self.assertIn("libglfw3", run("dpkg-deb", "-f", self.debs[0], "Depends").stdout)
        installed = os.path.join(self.scratch, "installed")
        run(CMAKE, "--install", BUILD, "--prefix", "/usr", env=dict(os.environ, DESTDIR=installed),
            check=True)
        files = [sorted(os.path.relpath(os.path.join(d, f), top) for d, _, names in os.walk(top)
                        for f in names) for top in (installed, self.root)]
        self.assertEqual(files[0], files[1])

    @unittest.skipUnless(shutil.which("lintian"), "lintian is not installed")
    def test_lintian_finds_only_what_the_readme_explains(self):
        with open(os.path.join(source_dir(), "README.md")) as readme:
            explained = readme.read()
        found = run("lintian", "--tag-display-limit", "0", self.debs[0]).stdout.split("\n")
        tags = {line.split()[2] for line in found if line[:2] in ("E:", "W:")}
        self.assertEqual([tag for tag in sorted(tags) if "`%s`" % tag not in explained], [],
                         "\n".join(found))

    def test_a_new_player_edits_the_settings_and_the_next_start_obeys_them(self):
        home = tempfile.mkdtemp(dir=self.scratch)
        asked = os.path.join(home, "asked")
        with open(os.path.join(home, "zenity"), "w") as zenity:  # answers no
            zenity.write("#!/bin/sh\necho >> %s\nexit 1\n" % asked)
        os.chmod(os.path.join(home, "zenity"), stat.S_IRWXU)
        env = {"PATH": home, "XDG_CONFIG_HOME": home + "/config", "XDG_DATA_HOME": home + "/data"}
        launcher = os.path.join(self.root, "usr", "bin", "quillora")
        settings = os.path.join(home, "config", "quillora", "settings.ini")
        with GameRun(self.id() + "-first", command=[launcher], copy_data=False, env=env) as game:
            game.wait_for(READY)
            self.assertEqual(game.press_escape(), 0, game.describe())
        with open(settings) as written:
            edited = written.read().replace("fullscreen = ask", "fullscreen = no").replace(
                "pointer_speed = 1.0", "pointer_speed = 0.5")
        with open(settings, "w") as out:
            out.write(edited)
        os.makedirs(os.path.join(home, "data", "quillora"))
        with open(os.path.join(home, "data", "quillora", "records"), "w") as records:
            records.write("88.25 2026-12-02T11:30:00Z\n")

        with GameRun(self.id() + "-again", command=[launcher], copy_data=False, env=env) as game:
            game.wait_for(READY)
            game.click(1)
            game.wait_for(r"^Clicked on left mouse button")
            yaws = []
            for move in (0, -100):  # the pointer 100 pixels left: half of 0.5 radians
                game.mouse_move_relative(move, 0)
                time.sleep(scaled(1))
                before = len(game.stdout_lines)
                game.click(1)
                _, throw = game.wait_for(THROW, after=before)
                yaws.append(math.atan2(float(throw.group(1)), float(throw.group(2))))
            self.assertAlmostEqual(yaws[1] - yaws[0], 0.25, delta=0.03)
            self.assertEqual(game.press_escape(), 0, game.describe())
            self.assertEqual(game.stderr, "", game.describe())
        with open(asked) as seen, open(settings) as kept:
            self.assertEqual((len(seen.read()), kept.read()), (1, edited))
        listed = run(launcher, "--records", env=game.env)
        self.assertRegex(listed.stdout, r"\n 1\.\s+88\.25 s\s+2026-12-02 11:30:00 UTC\n")


if __name__ == "__main__":
    unittest.main()
