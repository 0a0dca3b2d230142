"""Runs the real quillora binary on its own virtual X display and talks to it like a player.

Each GameRun gets a fresh Xvfb, a temporary working directory holding copies of Shader/ and
Util/Files/ (so a test may break a file on purpose), OpenAL Soft's wave backend writing everything
the game plays into <run>/out.wav, and stdin from /dev/null so no fatal path ever waits for Enter.
Nothing here can hang: every wait has a timeout, and close() kills the game's process group and
the X server whatever happened.

Environment (set by tests/e2e/CMakeLists.txt):
  QUILLORA_BINARY      the game executable
  QUILLORA_SOURCE_DIR  the repository root (for Shader/ and Util/Files/)
  QUILLORA_E2E_ARTIFACTS  where screenshots and WAV files are kept for people to look at
  QUILLORA_E2E_TIMEOUT_SCALE  multiplies every timeout (slow or sanitizer builds)
  QUILLORA_E2E_KEEP    if set, temporary run directories are kept and their path printed
"""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import threading
import time

SCREEN = "1280x1024x24"
WINDOW_TITLE = "Quillora"


def timeout_scale():
    try:
        return max(1.0, float(os.environ.get("QUILLORA_E2E_TIMEOUT_SCALE", "1")))
    except ValueError:
        return 1.0


def scaled(seconds):
    return seconds * timeout_scale()


def source_dir():
    here = os.path.dirname(os.path.abspath(__file__))
    return os.environ.get("QUILLORA_SOURCE_DIR", os.path.normpath(os.path.join(here, "..", "..")))


def game_binary():
    binary = os.environ.get("QUILLORA_BINARY")
    if not binary:
        binary = os.path.join(source_dir(), "build", "quillora")
    return binary


def artifacts_dir(name):
    root = os.environ.get("QUILLORA_E2E_ARTIFACTS")
    if not root:
        return None
    path = os.path.join(root, name)
    os.makedirs(path, exist_ok=True)
    return path


class HarnessError(AssertionError):
    """A wait that ran out or a step the game did not take; carries the game's output."""


class Xvfb:
    """One virtual X server on a display number the server picks itself (-displayfd)."""

    def __init__(self, screen=SCREEN):
        read_end, write_end = os.pipe()
        try:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen,
                 "-nolisten", "tcp", "-noreset"],
                pass_fds=[write_end], stdin=subprocess.DEVNULL,
                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, start_new_session=True)
        finally:
            os.close(write_end)
        try:
            number = self._read_display(read_end, scaled(20))
        except Exception:
            self.stop()
            raise
        finally:
            os.close(read_end)
        self.display = ":" + number

    def _read_display(self, fd, timeout):
        import select
        data = b""
        deadline = time.monotonic() + timeout
        while not data.endswith(b"\n"):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([fd], [], [], left)[0]:
                raise HarnessError("Xvfb did not report a display number")
            chunk = os.read(fd, 64)
            if not chunk:
                err = self.process.stderr.read().decode(errors="replace") if self.process.stderr else ""
                raise HarnessError("Xvfb ended before it opened a display:\n" + err)
            data += chunk
        return data.decode().strip()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        if self.process.stderr:
            self.process.stderr.close()


class _StreamReader(threading.Thread):
    """Collects one output stream line by line and wakes whoever waits for a line."""

    def __init__(self, stream, lines, condition):
        super().__init__(daemon=True)
        self.stream, self.lines, self.condition = stream, lines, condition

    def run(self):
        for raw in iter(self.stream.readline, b""):
            with self.condition:
                self.lines.append(raw.decode(errors="replace").rstrip("\n"))
                self.condition.notify_all()
        self.stream.close()


def write_openal_config(path, wav_path, driver="wave"):
    with open(path, "w") as conf:
        conf.write("[general]\ndrivers=%s\n[wave]\nfile=%s\n" % (driver, wav_path))


class GameRun:
    """One run of the game. Use as a context manager:

        with GameRun(self.id()) as game:
            game.wait_for(r"Changing window size to: 1024/768")
            game.click()
            game.press_escape()
            self.assertEqual(game.returncode, 0)

    sound: "wave" (default) records into wav_path; "null" plays into nothing; "none" offers
    OpenAL no usable driver at all, as on a machine without a sound device.
    prepare: called with the run directory after the data is copied, before the game starts.
    command: what to start instead of the game binary (e.g. an installed launcher);
    copy_data: False starts in an empty directory (the launcher must find the data itself).
    """

    def __init__(self, name="run", sound="wave", prepare=None, command=None, copy_data=True,
                 env=None, start=True):
        self.name = re.sub(r"[^A-Za-z0-9_.-]+", "_", name)
        self.sound = sound
        self.prepare = prepare
        self.command = command or [game_binary()]
        self.copy_data = copy_data
        self.extra_env = env or {}
        self.xvfb = None
        self.process = None
        self.returncode = None
        self.stdout_lines, self.stderr_lines = [], []
        self._condition = threading.Condition()
        self._readers = []
        self._window = None
        self._shots = 0
        self.run_dir = tempfile.mkdtemp(prefix="quillora-e2e-")
        self.wav_path = os.path.join(self.run_dir, "out.wav")
        if start:
            self.start()

    # ---- life cycle -------------------------------------------------------------------------

    def start(self):
        try:
            if self.copy_data:
                src = source_dir()
                shutil.copytree(os.path.join(src, "Shader"), os.path.join(self.run_dir, "Shader"))
                shutil.copytree(os.path.join(src, "Util", "Files"),
                                os.path.join(self.run_dir, "Util", "Files"))
            if self.prepare:
                self.prepare(self.run_dir)
            self.xvfb = Xvfb()
            self.env = self._environment()
            # The game line-buffers its log itself, so lines arrive as they are printed.
            self.process = subprocess.Popen(
                list(self.command), cwd=self.run_dir, env=self.env, stdin=subprocess.DEVNULL,
                stdout=subprocess.PIPE, stderr=subprocess.PIPE, start_new_session=True)
            for stream, lines in ((self.process.stdout, self.stdout_lines),
                                  (self.process.stderr, self.stderr_lines)):
                reader = _StreamReader(stream, lines, self._condition)
                reader.start()
                self._readers.append(reader)
        except Exception:
            self.close()
            raise
        return self

    def _environment(self):
        env = dict(os.environ)
        for key in ("ALSOFT_DRIVERS", "ALSOFT_CONF", "WAYLAND_DISPLAY", "XAUTHORITY"):
            env.pop(key, None)
        env["DISPLAY"] = self.xvfb.display
        env["LIBGL_ALWAYS_SOFTWARE"] = "1"
        conf = os.path.join(self.run_dir, "alsoft.conf")
        if self.sound == "wave":
            write_openal_config(conf, self.wav_path)
        elif self.sound == "null":
            write_openal_config(conf, self.wav_path, driver="null")
        elif self.sound == "none":
            # A driver name OpenAL Soft does not know: it opens no device at all.
            write_openal_config(conf, self.wav_path, driver="nonexistent")
            env["ALSOFT_DRIVERS"] = "nonexistent"
        else:
            raise ValueError("unknown sound mode %r" % self.sound)
        env["ALSOFT_CONF"] = conf
        env.update(self.extra_env)
        return env

    def close(self):
        if self.process is not None:
            self._kill_game()
            for reader in self._readers:
                reader.join(5)
        if self.xvfb is not None:
            self.xvfb.stop()
            self.xvfb = None
        self._keep_wav()
        if os.environ.get("QUILLORA_E2E_KEEP"):
            print("kept run directory", self.run_dir)
        else:
            shutil.rmtree(self.run_dir, ignore_errors=True)

    def _kill_game(self):
        if self.process.poll() is None:
            try:
                os.killpg(self.process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.process.wait()
        if self.returncode is None:
            self.returncode = self.process.returncode

    def _keep_wav(self):
        if os.path.exists(self.wav_path) and os.path.getsize(self.wav_path) > 0:
            target = artifacts_dir(self.name)
            if target:
                shutil.copy(self.wav_path, os.path.join(target, "out.wav"))

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    # ---- output -----------------------------------------------------------------------------

    @property
    def stdout(self):
        with self._condition:
            return "\n".join(self.stdout_lines)

    @property
    def stderr(self):
        with self._condition:
            return "\n".join(self.stderr_lines)

    def describe(self):
        def tail(lines):
            return "\n".join(lines[-40:])
        with self._condition:
            return ("exit status: %s\n--- stdout (last 40 lines) ---\n%s\n--- stderr ---\n%s"
                    % (self.process.poll() if self.process else None,
                       tail(self.stdout_lines), tail(self.stderr_lines)))

    def alive(self):
        return self.process is not None and self.process.poll() is None

    def wait_for(self, pattern, stream="stdout", timeout=60, after=0):
        """Waits for a line matching the regular expression; returns (index, match).
        Fails at once when the game ends without printing it, else after the timeout.
        Only lines from index `after` on are looked at."""
        regex = re.compile(pattern)
        lines = self.stdout_lines if stream == "stdout" else self.stderr_lines
        deadline = time.monotonic() + scaled(timeout)
        with self._condition:
            index = after
            while True:
                while index < len(lines):
                    match = regex.search(lines[index])
                    if match:
                        return index, match
                    index += 1
                finished = self.process.poll() is not None and not any(
                    r.is_alive() for r in self._readers)
                left = deadline - time.monotonic()
                if finished or left <= 0:
                    break
                self._condition.wait(min(left, 0.2))
        why = "the game ended" if finished else "timed out after %.0f s" % scaled(timeout)
        raise HarnessError("no %s line matching %r (%s)\n%s"
                           % (stream, pattern, why, self.describe()))

    def count(self, pattern, stream="stdout"):
        regex = re.compile(pattern)
        with self._condition:
            lines = list(self.stdout_lines if stream == "stdout" else self.stderr_lines)
        return sum(1 for line in lines if regex.search(line))

    def wait_exit(self, timeout=30):
        """Waits for the game to end by itself; kills it and fails after the timeout."""
        try:
            self.returncode = self.process.wait(scaled(timeout))
        except subprocess.TimeoutExpired:
            self._kill_game()
            raise HarnessError("the game did not end within %.0f s and was killed\n%s"
                               % (scaled(timeout), self.describe()))
        for reader in self._readers:
            reader.join(5)
        return self.returncode

    # ---- X input and pictures ---------------------------------------------------------------

    def x(self, *args, timeout=20):
        """Runs an X client (xdotool, import, ...) on this run's display; returns its stdout."""
        try:
            result = subprocess.run([str(a) for a in args], env=self.env, stdin=subprocess.DEVNULL,
                                    capture_output=True, timeout=scaled(timeout))
        except subprocess.TimeoutExpired:
            raise HarnessError("%s did not finish\n%s" % (args[0], self.describe()))
        if result.returncode != 0:
            raise HarnessError("%s failed (%d): %s\n%s" % (
                " ".join(map(str, args)), result.returncode,
                result.stderr.decode(errors="replace"), self.describe()))
        return result.stdout.decode(errors="replace")

    def xdotool(self, *args):
        return self.x("xdotool", *args)

    def window(self, timeout=60):
        """The game window's id, once it is mapped; the pointer is moved onto it and it gets
        the keyboard focus (there is no window manager to do that)."""
        if self._window is None:
            deadline = time.monotonic() + scaled(timeout)
            while True:
                result = subprocess.run(
                    ["xdotool", "search", "--onlyvisible", "--name", "^%s$" % WINDOW_TITLE],
                    env=self.env, stdin=subprocess.DEVNULL, capture_output=True, timeout=20)
                ids = result.stdout.split()
                if ids:
                    self._window = ids[-1].decode()
                    break
                if not self.alive() or time.monotonic() > deadline:
                    raise HarnessError("no visible window named %r\n%s"
                                       % (WINDOW_TITLE, self.describe()))
                time.sleep(0.2)
            self.xdotool("windowfocus", "--sync", self._window)
            self.move_to_centre()
        return self._window

    def geometry(self):
        """(x, y, width, height) of the game window on the screen."""
        out = self.xdotool("getwindowgeometry", "--shell", self.window())
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return (int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"]))

    def move_to_centre(self):
        _, _, width, height = self.geometry()
        self.mouse_move(width // 2, height // 2)

    def mouse_move(self, x, y):
        """Moves the pointer to (x, y) in window coordinates."""
        self.xdotool("mousemove", "--window", self.window(), int(x), int(y))

    def mouse_move_relative(self, dx, dy):
        self.xdotool("mousemove_relative", "--", int(dx), int(dy))

    def click(self, button=1):
        """A press and release of a mouse button (1 left, 2 middle, 3 right)."""
        self.window()
        self.xdotool("click", button)

    def key(self, name):
        """A press and release, for keys the game handles in its key callback (F1..F10)."""
        self.window()
        self.xdotool("key", name)

    def key_down(self, name):
        self.window()
        self.xdotool("keydown", name)

    def key_up(self, name):
        self.xdotool("keyup", name)

    def hold_key(self, name, seconds):
        """Holds a key for a while: polled keys (W, A, S, D, Escape) are read once per frame."""
        self.key_down(name)
        try:
            time.sleep(seconds)
        finally:
            if self.alive():
                self.key_up(name)

    def press_escape(self, timeout=30):
        """Holds Escape until the game ends (it is polled once per frame, so a quick tap may
        fall between two polls); returns the exit status."""
        self.key_down("Escape")
        try:
            return self.wait_exit(timeout)
        finally:
            if self.xvfb is not None:
                subprocess.run(["xdotool", "keyup", "Escape"], env=self.env,
                               stdin=subprocess.DEVNULL, capture_output=True, timeout=20)

    def screenshot(self, label=None, whole_screen=False):
        """A PNG of the game window (or the whole screen) as a PIL image; kept among the
        artifacts when a label is given."""
        from PIL import Image
        self._shots += 1
        path = os.path.join(self.run_dir, "shot%03d.png" % self._shots)
        target = "root" if whole_screen else self.window()
        self.x("import", "-window", target, "png:" + path, timeout=60)
        with Image.open(path) as image:
            picture = image.convert("RGB")
        if label:
            self._keep(picture, label)
        return picture

    def wait_for_picture(self, predicate, label=None, timeout=60):
        """Takes screenshots until predicate(image) holds; returns that image. On timeout the
        last picture is kept (as label or 'timeout') and the test fails."""
        deadline = time.monotonic() + scaled(timeout)
        while True:
            picture = self.screenshot()
            if predicate(picture):
                if label:
                    self._keep(picture, label)
                return picture
            if not self.alive() or time.monotonic() > deadline:
                self._keep(picture, (label or "picture") + "-failed")
                raise HarnessError("the screen never showed what was expected\n" + self.describe())
            time.sleep(0.3)

    def _keep(self, picture, label):
        keep = artifacts_dir(self.name)
        if keep:
            picture.save(os.path.join(keep, label + ".png"))

    # ---- sound ------------------------------------------------------------------------------

    def wav(self):
        """The recorded sound (after the game ended, so the header is complete)."""
        import wavfile
        return wavfile.read(self.wav_path)
