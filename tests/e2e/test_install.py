"""cmake --install into a DESTDIR: the layout of a Linux game, and a launcher that finds its data
(test_package starts the installed game from elsewhere)."""

import configparser, os, shlex, shutil, stat, subprocess, tempfile, unittest
from xml.etree import ElementTree

from PIL import Image

from harness import scaled, source_dir

PREFIX = "/opt/quillora test"  # a space: the menu entry must quote the path


class Install(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.destdir = tempfile.mkdtemp(prefix="quillora-install-")
        cls.root = cls.destdir + PREFIX
        cmake = os.environ.get("QUILLORA_CMAKE", "cmake")
        build = os.environ.get("QUILLORA_BUILD_DIR", os.path.join(source_dir(), "build"))
        result = subprocess.run([cmake, "--install", build, "--prefix", PREFIX],
                                env=dict(os.environ, DESTDIR=cls.destdir),
                                stdin=subprocess.DEVNULL, capture_output=True, text=True,
                                timeout=scaled(300))
        cls.install_log = result.stdout + result.stderr
        cls.install_status = result.returncode

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.destdir, ignore_errors=True)

    def setUp(self):
        self.assertEqual(self.install_status, 0, self.install_log)

    def path(self, relative):
        return os.path.join(self.root, relative)

    def test_everything_lands_under_the_prefix_inside_destdir(self):
        outside = [line for line in self.install_log.splitlines()
                   if line.startswith("-- Installing:") and self.destdir + PREFIX not in line]
        self.assertEqual(outside, [], self.install_log)
        for program in ("bin/quillora", "libexec/quillora/quillora"):
            mode = os.stat(self.path(program)).st_mode
            self.assertTrue(stat.S_ISREG(mode) and mode & stat.S_IXUSR, program)

    def test_data_is_a_full_copy_of_shader_and_util_files(self):
        for folder in ("Shader", os.path.join("Util", "Files")):
            source = os.path.join(source_dir(), folder)
            wanted = sorted(name for name in os.listdir(source) if not name.startswith("README"))
            installed = sorted(os.listdir(self.path(os.path.join("share/quillora", folder))))
            self.assertEqual(installed, wanted, folder)

    def test_desktop_entry_starts_the_installed_launcher(self):
        entry = configparser.ConfigParser(interpolation=None)
        entry.optionxform = str
        entry.read(self.path("share/applications/quillora.desktop"))
        section = entry["Desktop Entry"]
        self.assertEqual(section["Type"], "Application")
        self.assertEqual(section["Name"], "Quillora")
        # Split as a menu splits it (the prefix has no backslash to unescape first).
        self.assertEqual(shlex.split(section["Exec"]), [PREFIX + "/bin/quillora"])
        self.assertEqual(section["Icon"], "quillora")
        self.assertIn("Game", section["Categories"].split(";"))
        actions = {entry["Desktop Action " + name]["Name"]:
                   shlex.split(entry["Desktop Action " + name]["Exec"])
                   for name in section["Actions"].strip(";").split(";")}
        self.assertEqual(actions, {"Play in a window": [PREFIX + "/bin/quillora", "--windowed"],
                                   "Play fullscreen": [PREFIX + "/bin/quillora", "--fullscreen"]})

    def test_metainfo_for_software_centres_is_valid_and_names_the_menu_entry(self):
        folder = self.path("share/metainfo")
        (name,) = os.listdir(folder)
        path = os.path.join(folder, name)
        if shutil.which("appstreamcli"):
            result = subprocess.run(["appstreamcli", "validate", "--no-net", path],
                                    stdin=subprocess.DEVNULL, capture_output=True, text=True,
                                    timeout=60)
            self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        component = ElementTree.parse(path).getroot()
        self.assertEqual(name, component.findtext("id") + ".metainfo.xml")
        self.assertEqual(component.findtext("launchable"), "quillora.desktop")

    def test_icons_are_square_pngs_of_their_folder_size(self):
        for size in (48, 256):
            with Image.open(self.path("share/icons/hicolor/%dx%d/apps/quillora.png"
                                      % (size, size))) as icon:
                self.assertEqual(icon.format, "PNG")
                self.assertEqual(icon.size, (size, size))

    def test_launcher_reports_missing_data_instead_of_starting(self):
        # A launcher copied away from its tree must say so rather than start a game that
        # then fails on its first shader.
        with tempfile.TemporaryDirectory(prefix="quillora-lonely-") as lonely:
            os.makedirs(os.path.join(lonely, "bin"))
            shutil.copy(self.path("bin/quillora"), os.path.join(lonely, "bin"))
            result = subprocess.run([os.path.join(lonely, "bin", "quillora")],
                                    stdin=subprocess.DEVNULL, capture_output=True, text=True,
                                    timeout=30)
        self.assertEqual((result.returncode, "game data not found" in result.stderr), (1, True),
                         result.stderr)


if __name__ == "__main__":
    unittest.main()
