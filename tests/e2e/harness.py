# SPDX-License-Identifier: MIT
"""Drives a Corvane program on a private X server, as a person at the desktop would.

Every test gets its own Xvfb, home and stand-in `xdg-open` first on PATH that records how it was
started. `Desktop` holds what is the same for every program; `QtDesktop` starts the Linux
program, and the Windows program's harness (test_win32.py) derives its own. Only processes
started here are stopped, by their PIDs.
"""

import os
import shlex
import shutil
import subprocess
import tempfile
import time
import unittest

from Xlib import X, Xatom, display, error, protocol

# How long any one step may take; a program run under valgrind needs many times more.
TIMEOUT = float(os.environ.get("CORVANE_TIMEOUT", "20"))
ASSETS_DIR = os.environ.get("CORVANE_ASSETS", "")
# The settings of AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer.
SANITIZER_SETTINGS = ("ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS")
SCREEN = (1280, 1024)
CLIENT = (460, 292)

# The controls in the window's client area at 96 DPI: x, y, width, height.
LOGIN_RECT = (8, 216, 449, 33)
EXIT_RECT = (8, 256, 449, 33)
USERNAME_RECT = (240, 136, 217, 25)
PASSWORD_RECT = (240, 176, 217, 25)
BANNER_RECT = (0, 0, 456, 135)


# Where to click them: their centres.
LOGIN, EXIT, USERNAME_BOX, PASSWORD_BOX = [
    (x + width // 2, y + height // 2)
    for x, y, width, height in (LOGIN_RECT, EXIT_RECT, USERNAME_RECT, PASSWORD_RECT)]
BANNER = (200, 60)
BACKGROUND_BELOW_BANNER = (100, 180)

STAND_IN_OPENER = """#!/bin/sh
# Records one start: its arguments, the focus tokens it was handed and its core-dump limits.
n=$(ls "$RECORDS" | wc -l)
{
  printf 'argc=%s\\n' "$#"
  for a in "$@"; do printf 'arg=%s\\n' "$a"; done
  printf 'DESKTOP_STARTUP_ID=%s\\n' "${DESKTOP_STARTUP_ID-unset}"
  printf 'XDG_ACTIVATION_TOKEN=%s\\n' "${XDG_ACTIVATION_TOKEN-unset}"
  printf 'core=%s/%s\\n' "$(ulimit -S -c)" "$(ulimit -H -c)"
} > "$RECORDS/.start-$n"
mv "$RECORDS/.start-$n" "$RECORDS/start-$n"
"""


def wait_for(predicate, what, timeout=TIMEOUT):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.02)


def eventually(check, timeout=TIMEOUT / 4):
    """Runs `check`, an assertion, until it holds: what a program shows can lag behind what it
    was sent when the machine is busy."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            return check()
        except AssertionError:
            if time.monotonic() > deadline:
                raise
            time.sleep(0.1)


def read_bmp(path):
    """A 24-bit bottom-up BMP as rows of (b, g, r) tuples, top row first."""
    with open(path, "rb") as f:
        data = f.read()
    offset = int.from_bytes(data[10:14], "little")
    width = int.from_bytes(data[18:22], "little")
    height = int.from_bytes(data[22:26], "little", signed=True)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height):
        start = offset + (height - 1 - y) * stride
        row = data[start:start + width * 3]
        rows.append([tuple(row[i:i + 3]) for i in range(0, width * 3, 3)])
    return rows


def artwork(assets):
    """What the window's two pictures show together, pixel by pixel at 96 DPI, as (b, g, r)."""
    background = read_bmp(os.path.join(assets, "background.bmp"))
    banner = read_bmp(os.path.join(assets, "banner.bmp"))
    return [[banner[y][x] if BANNER_RECT[2] > x and BANNER_RECT[3] > y else background[y][x]
             for x in range(CLIENT[0])] for y in range(CLIENT[1])]


def private_mount_wrapper(script, *args):
    """A command that runs `script` in a private mount namespace and then execs its arguments."""
    return ["unshare", "--mount", "--propagation", "private", "sh", "-c",
            script + ' && exec "$0" "$@"'] + list(args)


def can_use_private_mounts():
    if os.geteuid() != 0:
        return False
    return subprocess.run(["unshare", "--mount", "--propagation", "private", "true"],
                          capture_output=True).returncode == 0


class Xvfb:
    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % SCREEN,
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    raise RuntimeError("Xvfb did not start")
                number += chunk
        self.name = ":" + number.decode().strip()

    def stop(self):
        # Xvfb may take its time to close down on a loaded machine; the test is over anyway.
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait(timeout=10)


class Desktop(unittest.TestCase):
    """A private X server and home for each test, and a person's hands and eyes on them."""

    # Keys that select all of a text box's text.
    SELECT_ALL = ("ctrl+a",)
    # What the stand-in opener is handed for the web site.
    OPENED_URL = "http://www.corvane.example"

    def setUp(self):
        self.xvfb = Xvfb()
        self.addCleanup(self.xvfb.stop)
        self.home = tempfile.mkdtemp(prefix="corvane-e2e-")
        os.chmod(self.home, 0o755)
        self.addCleanup(shutil.rmtree, self.home, ignore_errors=True)
        self.records = os.path.join(self.home, "opener-records")
        os.mkdir(self.records, 0o777)
        os.chmod(self.records, 0o777)
        bin_dir = os.path.join(self.home, "bin")
        os.mkdir(bin_dir)
        opener = os.path.join(bin_dir, "xdg-open")
        with open(opener, "w") as f:
            f.write(STAND_IN_OPENER)
        os.chmod(opener, 0o755)
        runtime = os.path.join(self.home, "runtime")
        os.mkdir(runtime, 0o700)
        self.env = {
            "PATH": bin_dir + ":" + os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": self.home,
            "XDG_RUNTIME_DIR": runtime,
            "DISPLAY": self.xvfb.name,
            "RECORDS": self.records,
            # A desktop hands these to the programs it starts; the browser must not inherit them.
            "DESKTOP_STARTUP_ID": "startup-token-of-the-desktop",
            "XDG_ACTIVATION_TOKEN": "activation-token-of-the-desktop",
        }
        self.x = display.Display(self.xvfb.name)
        self.addCleanup(self.x.close)
        self.x.xfixes_query_version()
        self.root = self.x.screen().root
        self.process = None
        self.window = None

    # The program

    def command(self):
        raise NotImplementedError

    def start(self, wrapper=(), wait=True, command=None):
        """Starts the program (through `wrapper`, a command that execs its arguments) and,
        with `wait`, waits for its login window to be mapped."""
        self.stderr_path = os.path.join(self.home, "stderr-%d" % time.monotonic_ns())
        with open(self.stderr_path, "wb") as stderr:
            self.process = subprocess.Popen(list(wrapper) + (command or self.command()),
                                            env=self.env, stdin=subprocess.DEVNULL,
                                            stdout=subprocess.DEVNULL, stderr=stderr)
        self.addCleanup(self._kill, self.process)
        self.window = None
        if wait:
            self.window = self.wait_for_login_window()
        return self.window

    def wait_for_login_window(self, timeout=TIMEOUT):
        self.window = wait_for(lambda: self.window_titled_like("Corvane ("), "the login window",
                               timeout)
        return self.window

    def _kill(self, process):
        if process.poll() is None:
            process.kill()
            process.wait(timeout=10)

    def stderr_text(self):
        with open(self.stderr_path, "rb") as f:
            return f.read().decode(errors="replace")

    def exit_status(self):
        return self.process.wait(timeout=TIMEOUT)

    def exit_program(self, scale=1):
        self.click((EXIT[0] * scale, EXIT[1] * scale))
        self.assertEqual(self.exit_status(), 0)

    # Windows on the X server

    def windows_of_program(self):
        """The program's viewable top-level windows (found by _NET_WM_PID, never by name)."""
        found = []
        pid_atom = self.x.intern_atom("_NET_WM_PID")
        for child in self.root.query_tree().children:
            try:
                pid = child.get_full_property(pid_atom, Xatom.CARDINAL)
                if pid is None or pid.value[0] != self.process.pid:
                    continue
                if child.get_attributes().map_state == X.IsViewable:
                    found.append(child)
            except error.BadWindow:
                continue
        return found

    def title(self, window):
        try:
            prop = window.get_full_property(self.x.intern_atom("_NET_WM_NAME"),
                                            self.x.intern_atom("UTF8_STRING"))
        except error.BadWindow:
            return None
        return prop.value.decode() if prop else None

    def window_titled_like(self, prefix):
        for window in self.windows_of_program():
            title = self.title(window)
            if title and title.startswith(prefix):
                return window
        return None

    def message_boxes(self):
        """The program's windows besides the login window, each titled "Corvane"."""
        login = self.window.id if self.window else None
        return [w for w in self.windows_of_program()
                if w.id != login and self.title(w) == "Corvane"]

    def dismiss(self, box):
        self.key("Return", window=box)
        wait_for(lambda: not self.message_boxes(), "the box to close")

    def send_close_request(self, window):
        protocols = self.x.intern_atom("WM_PROTOCOLS")
        delete = self.x.intern_atom("WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(window=window, client_type=protocols,
                                             data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(event, event_mask=X.NoEventMask)
        self.x.flush()

    def client_origin(self):
        """Where the window's client area is on the screen."""
        translated = self.root.translate_coords(self.window, 0, 0)
        return (translated.x, translated.y)

    # Input, through xdotool as a person's hands

    def tool(self, *args, **kwargs):
        """Runs an X tool of the test's (found on the test's own PATH) on the test's display."""
        env = dict(os.environ, DISPLAY=self.xvfb.name)
        return subprocess.run([str(a) for a in args], env=env, timeout=TIMEOUT, **kwargs)

    def xdotool(self, *args):
        self.tool("xdotool", *args, check=True)

    def focus(self, window=None):
        # No window manager gives a window the keyboard; take it as one would.
        self.xdotool("windowfocus", "--sync", (window or self.window).id)

    def click(self, point, button=1):
        self.xdotool("mousemove", "--window", self.window.id, point[0], point[1],
                     "click", button)

    def drag(self, start, end):
        self.xdotool("mousemove", "--window", self.window.id, start[0], start[1], "mousedown", 1,
                     "mousemove", "--window", self.window.id, end[0], end[1], "mouseup", 1)

    def move_pointer(self, point):
        self.xdotool("mousemove", "--window", self.window.id, point[0], point[1])

    def key(self, *keys, window=None):
        self.focus(window)
        self.xdotool("key", "--delay", 30, *keys)

    def type_text(self, text):
        self.focus()
        self.xdotool("type", "--delay", 30, text)

    def set_clipboard(self, text, which="clipboard"):
        self.tool("xclip", "-i", "-selection", which, input=text.encode(), check=True)

    def clipboard(self, which="clipboard"):
        return self.tool("xclip", "-o", "-selection", which, capture_output=True,
                         check=True).stdout.decode()

    def replace_text(self, box, text):
        """Replaces a box's text: typed when it is plain ASCII, else pasted from the clipboard
        (xdotool's typing of other characters is unreliable)."""
        self.click(box)
        self.key(*self.SELECT_ALL, "BackSpace")
        if text and text.isascii() and text.isprintable() and len(text) < 200:
            self.type_text(text)
        elif text:
            self.set_clipboard(text)
            self.key("ctrl+v")
        self.settle()

    def box_text(self, box, wait=3):
        """Reads a text box as a person would copy it: select all, copy, read the clipboard.
        Copying an empty box leaves the clipboard alone, so a marker that is still there
        after `wait` seconds means the box is empty."""
        marker = "clipboard-before-copy-%d" % time.monotonic_ns()
        self.set_clipboard(marker)
        self.click(box)
        self.key(*self.SELECT_ALL, "ctrl+c")
        deadline = time.monotonic() + wait
        text = self.clipboard()
        while text == marker and time.monotonic() < deadline:
            time.sleep(0.05)
            text = self.clipboard()
        return "" if text == marker else text

    def settle(self):
        """Lets the program handle what it was sent: a round trip through it and the server."""
        self.x.sync()
        time.sleep(0.3)
        self.x.sync()

    # What the program started

    def opener_starts(self):
        starts = []
        for name in sorted(os.listdir(self.records)):
            if name.startswith("start-"):
                with open(os.path.join(self.records, name)) as f:
                    starts.append(f.read().splitlines())
        return starts

    # Pixels

    def window_pixels(self):
        """The client area's pixels as a function of (x, y) giving (b, g, r)."""
        geometry = self.window.get_geometry()
        width = geometry.width
        data = self.window.get_image(0, 0, width, geometry.height, X.ZPixmap, 0xFFFFFFFF).data
        return lambda x, y: tuple(data[(y * width + x) * 4:(y * width + x) * 4 + 3])


class QtDesktop(Desktop):
    """The Linux program, with its settings in the test's own configuration home."""

    BINARY = os.environ.get("CORVANE_BINARY", "")
    # A command the program is run under, such as valgrind's, split as the shell would.
    RUN_UNDER = shlex.split(os.environ.get("CORVANE_RUN_UNDER", ""))
    WRITER = os.environ.get("CORVANE_SETTINGS_WRITER", "")

    def setUp(self):
        super().setUp()
        self.config_home = os.path.join(self.home, "config")
        self.settings_file = os.path.join(self.config_home, "Corvane", "Corvane.conf")
        self.env.update(XDG_CONFIG_HOME=self.config_home, QT_QPA_PLATFORM="xcb")
        # A build with sanitizers is told by these where and how to report.
        for name in SANITIZER_SETTINGS:
            if name in os.environ:
                self.env[name] = os.environ[name]

    def command(self):
        return self.RUN_UNDER + [self.BINARY]

    def assertLogged(self, what):
        """Every failure the program reports is also one line on its stderr."""
        self.assertIn("corvane: " + what, self.stderr_text())

    def stored_name(self):
        """What the program's own store reads from the file, or None when there is no entry."""
        missing = "<no entry %d>" % time.monotonic_ns()
        result = subprocess.run([self.WRITER, "read", missing],
                                env=dict(os.environ, XDG_CONFIG_HOME=self.config_home),
                                capture_output=True, check=True, timeout=TIMEOUT)
        name = result.stdout.decode()
        return None if name == missing else name

    def store_name(self, name):
        os.makedirs(os.path.dirname(self.settings_file), exist_ok=True)
        subprocess.run([self.WRITER, "write"], input=name.encode(),
                       env=dict(os.environ, XDG_CONFIG_HOME=self.config_home),
                       stdout=subprocess.DEVNULL, check=True, timeout=TIMEOUT)
