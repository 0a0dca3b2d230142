"""Runs the real quillora binary on its own Xvfb, with OpenAL's wave backend recording into
<run>/out.wav; every wait has a timeout and close() kills what it started. Environment (set by
tests/e2e/CMakeLists.txt): QUILLORA_BINARY, QUILLORA_SOURCE_DIR, QUILLORA_E2E_ARTIFACTS
(screenshots kept for people), QUILLORA_E2E_TIMEOUT_SCALE."""

import os, re, shutil, signal, struct, subprocess, tempfile, threading, time

import numpy
from PIL import Image

SCREEN = "1280x1024x24"


def scaled(seconds):
    return seconds * max(1.0, float(os.environ.get("QUILLORA_E2E_TIMEOUT_SCALE", "1")))


def source_dir():
    return os.environ.get("QUILLORA_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))


def game_binary():
    return os.environ.get("QUILLORA_BINARY", os.path.join(source_dir(), "build", "quillora"))


def game_environment(scratch, extra=None):
    """The environment a game under test gets: software OpenGL, settings and records in scratch
    folders, and dialog tools that cannot show themselves, so a desktop's zenity or kdialog never
    waits for an answer on the test's display. A test's own PATH (its stand-ins) comes first."""
    env = {k: v for k, v in os.environ.items() if k not in ("ALSOFT_DRIVERS", "XAUTHORITY")}
    declining = os.path.join(scratch, "no-dialogs")
    os.makedirs(declining, exist_ok=True)
    for tool in ("zenity", "kdialog"):
        with open(os.path.join(declining, tool), "w") as script:
            script.write("#!/bin/sh\nexit 255\n")
        os.chmod(os.path.join(declining, tool), 0o755)
    extra = dict(extra or {})
    path = extra.pop("PATH", None)
    env["PATH"] = os.pathsep.join(p for p in (path, declining, os.environ.get("PATH")) if p)
    for name in ("XDG_CONFIG_HOME", "XDG_DATA_HOME"):
        env[name] = os.path.join(scratch, name.lower())
    env.update(LIBGL_ALWAYS_SOFTWARE="1", **extra)
    return env


class HarnessError(AssertionError):
    pass


def poll(done, what, describe, timeout=60, step=0.2):
    """Calls done() until it returns something true, which it returns."""
    deadline = time.monotonic() + scaled(timeout)
    while not (result := done()):
        if time.monotonic() > deadline:
            raise HarnessError("%s\n%s" % (what, describe()))
        time.sleep(step)
    return result


class GameRun:
    """sound: "wave" records, "null" plays into nothing, "none" offers OpenAL no device.
    prepare(run_dir) may break the copied data first; command replaces the binary."""

    def __init__(self, name="run", sound="wave", prepare=None, command=None, copy_data=True, env=None,
                 stdin=subprocess.DEVNULL):
        self.name = re.sub(r"[^\w.-]+", "_", name)
        self.run_dir = tempfile.mkdtemp(prefix="quillora-e2e-")
        self.wav_path = os.path.join(self.run_dir, "out.wav")
        self.stdout_lines, self.stderr_lines, self.returncode, self._window = [], [], None, None
        self.process = self.xvfb = None
        try:
            if copy_data:
                for folder in ("Shader", "Util/Files"):
                    shutil.copytree(os.path.join(source_dir(), folder), os.path.join(self.run_dir, folder))
            if prepare:
                prepare(self.run_dir)
            read, write = os.pipe()  # Xvfb writes its display number there once it listens
            self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", SCREEN,
                                          "-nolisten", "tcp"], pass_fds=[write], stderr=subprocess.DEVNULL)
            os.close(write)
            with os.fdopen(read) as display:
                display = ":" + display.readline().strip()
            conf = os.path.join(self.run_dir, "alsoft.conf")
            driver = {"wave": "wave", "null": "null", "none": "nonexistent"}[sound]
            with open(conf, "w") as out:
                out.write("[general]\ndrivers=%s\n[wave]\nfile=%s\n" % (driver, self.wav_path))
            self.env = game_environment(self.run_dir, env)
            self.env.update(DISPLAY=display, ALSOFT_CONF=conf)
            if sound == "none":
                self.env["ALSOFT_DRIVERS"] = driver
            self.process = subprocess.Popen(command or [game_binary()], cwd=self.run_dir, env=self.env,
                                            stdin=stdin, stdout=subprocess.PIPE,
                                            stderr=subprocess.PIPE, start_new_session=True)
            self._readers = [threading.Thread(target=self._read, args=(s, l), daemon=True) for s, l in
                             ((self.process.stdout, self.stdout_lines), (self.process.stderr, self.stderr_lines))]
            for reader in self._readers:
                reader.start()
        except BaseException:
            self.close()
            raise

    def _read(self, stream, lines):
        for raw in iter(stream.readline, b""):
            lines.append(raw.decode(errors="replace").rstrip("\n"))
        stream.close()

    def close(self):
        if self.process and self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGKILL)
        if self.process:
            self.returncode = self.process.wait()
        if self.xvfb:
            self.xvfb.kill()
            self.xvfb.wait()
        shutil.rmtree(self.run_dir, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    @property
    def stderr(self):
        return "\n".join(self.stderr_lines)

    def describe(self):
        return "status %s\n--- stdout ---\n%s\n--- stderr ---\n%s" % (
            self.process.poll(), "\n".join(self.stdout_lines[-40:]), self.stderr)

    def wait_for(self, pattern, timeout=60, after=0):
        """The first stdout line from index `after` on that matches: (index, match)."""
        def found():
            ended = self.process.poll() is not None  # read before the lines: none are missed
            for index in range(after, len(self.stdout_lines)):
                if match := re.search(pattern, self.stdout_lines[index]):
                    return index, match
            if ended:
                raise HarnessError("ended without %r\n%s" % (pattern, self.describe()))
        return poll(found, "no line matching %r" % pattern, self.describe, timeout, 0.1)

    def count(self, pattern):
        return sum(1 for line in list(self.stdout_lines) if re.search(pattern, line))

    def wait_exit(self, timeout=30):
        try:
            self.returncode = self.process.wait(scaled(timeout))
        except subprocess.TimeoutExpired:
            raise HarnessError("the game did not end\n" + self.describe())
        for reader in self._readers:
            reader.join(5)
        return self.returncode

    def xdotool(self, *args):
        result = subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env,
                                capture_output=True, text=True, timeout=scaled(20))
        if result.returncode:
            raise HarnessError("xdotool %s: %s\n%s" % (args, result.stderr, self.describe()))
        return result.stdout

    def window(self):
        """The mapped game window, focused and with the pointer at its centre."""
        if self._window is None:
            def found():
                if self.process.poll() is not None:
                    raise HarnessError("no game window\n" + self.describe())
                return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Quillora$"],
                                      env=self.env, capture_output=True, text=True).stdout.split()
            self._window = poll(found, "no game window", self.describe)[-1]
            self.xdotool("windowfocus", "--sync", self._window)
            _, _, width, height = self.geometry()
            self.xdotool("mousemove", "--window", self._window, width // 2, height // 2)
        return self._window

    def geometry(self):
        values = dict(v.split("=") for v in self.xdotool("getwindowgeometry", "--shell", self.window()).split())
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def mouse_move_relative(self, dx, dy):
        self.xdotool("mousemove_relative", "--", dx, dy)

    def click(self, button=1):
        self.xdotool("click", "--window", self.window(), button)

    def key(self, name):
        self.xdotool("key", "--window", self.window(), name)

    def hold_key(self, name, seconds):
        """Polled keys (W, A, S, D, Escape) are read once a frame: hold them, do not tap."""
        self.xdotool("keydown", "--window", self.window(), name)
        time.sleep(seconds)
        self.xdotool("keyup", name)

    def press_escape(self, timeout=30):
        self.xdotool("keydown", "--window", self.window(), "Escape")
        return self.wait_exit(timeout)

    def screenshot(self, label=None, whole_screen=False):
        path = os.path.join(self.run_dir, "shot.png")
        subprocess.run(["import", "-window", "root" if whole_screen else self.window(), "png:" + path],
                       env=self.env, check=True, capture_output=True, timeout=scaled(60))
        with Image.open(path) as image:
            picture = image.convert("RGB")
        if label and (keep := os.environ.get("QUILLORA_E2E_ARTIFACTS")):
            os.makedirs(keep, exist_ok=True)
            picture.save(os.path.join(keep, "%s-%s.png" % (self.name, label)))
        return picture

    def wait_for_picture(self, predicate, label=None, timeout=60):
        """Screenshots until predicate(picture) holds."""
        def shown():
            if self.process.poll() is not None:
                raise HarnessError("ended before the screen showed %s\n%s" % (label, self.describe()))
            return predicate(self.screenshot(label))
        poll(shown, "the screen never showed %s" % label, self.describe, timeout, 0.3)

    def wav(self):
        """The recorded samples in [-1, 1] (frames x channels) and the sample rate. OpenAL writes
        WAVE_FORMAT_EXTENSIBLE, which the wave module cannot read: the fmt fields are plain."""
        with open(self.wav_path, "rb") as recording:
            data = recording.read()
        channels, rate = struct.unpack_from("<HI", data, 22)
        bits = struct.unpack_from("<H", data, 34)[0]
        start = data.index(b"data") + 8
        samples = numpy.frombuffer(data, {16: numpy.int16, 32: numpy.float32}[bits], offset=start,
                                   count=(len(data) - start) // (bits // 8) // channels * channels)
        return samples.reshape(-1, channels) / (32768.0 if bits == 16 else 1.0), rate


def layout_difference(picture, reference, cells=(8, 6)):
    """The largest colour distance between the mean colours of a coarse grid of the two pictures."""
    grids = [numpy.asarray(p.convert("RGB").resize(cells, Image.BOX), dtype=float) for p in (picture, reference)]
    return float(numpy.abs(grids[0] - grids[1]).mean(axis=2).max())
