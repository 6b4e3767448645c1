# SPDX-License-Identifier: MIT
"""Drives the real corvane binary on a private X server, as a person at the desktop would.

Every test gets its own Xvfb, HOME and XDG_CONFIG_HOME, and a stand-in xdg-open first on PATH
that records how it was started. Only processes started here are stopped, by their PIDs.
"""

import os
import shutil
import subprocess
import tempfile
import time
import unittest

from Xlib import X, Xatom, display, error, protocol

BINARY = os.environ["CORVANE_BINARY"]
ASSETS = os.environ["CORVANE_ASSETS"]
TIMEOUT = 15.0
# The settings of AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer.
SANITIZER_SETTINGS = ("ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS")

# Where the controls are inside the window's client area.
LOGIN = (232, 232)
EXIT = (232, 272)
USERNAME_BOX = (348, 148)
PASSWORD_BOX = (348, 188)
BANNER = (200, 60)
BACKGROUND_BELOW_BANNER = (100, 180)

STAND_IN_OPENER = """#!/bin/sh
# Records one start: its arguments and the focus tokens it was handed.
n=$(ls "$RECORDS" | wc -l)
{
  printf 'argc=%s\\n' "$#"
  for a in "$@"; do printf 'arg=%s\\n' "$a"; done
  printf 'DESKTOP_STARTUP_ID=%s\\n' "${DESKTOP_STARTUP_ID-unset}"
  printf 'XDG_ACTIVATION_TOKEN=%s\\n' "${XDG_ACTIVATION_TOKEN-unset}"
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


class Xvfb:
    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
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
        self.process.terminate()
        self.process.wait(timeout=10)


class CorvaneTestCase(unittest.TestCase):
    """Starts Xvfb and a private home for each test; starts the program on request."""

    def setUp(self):
        self.xvfb = Xvfb()
        self.addCleanup(self.xvfb.stop)
        self.home = tempfile.mkdtemp(prefix="corvane-e2e-")
        self.addCleanup(shutil.rmtree, self.home, ignore_errors=True)
        self.config_home = os.path.join(self.home, "config")
        self.settings_file = os.path.join(self.config_home, "Corvane", "Corvane.conf")
        self.records = os.path.join(self.home, "opener-records")
        os.mkdir(self.records)
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
            "XDG_CONFIG_HOME": self.config_home,
            "XDG_RUNTIME_DIR": runtime,
            "DISPLAY": self.xvfb.name,
            "QT_QPA_PLATFORM": "xcb",
            "RECORDS": self.records,
            # A desktop hands these to the programs it starts; the browser must not inherit them.
            "DESKTOP_STARTUP_ID": "startup-token-of-the-desktop",
            "XDG_ACTIVATION_TOKEN": "activation-token-of-the-desktop",
        }
        # A build with sanitizers is told by these where and how to report.
        for name in SANITIZER_SETTINGS:
            if name in os.environ:
                self.env[name] = os.environ[name]
        self.x = display.Display(self.xvfb.name)
        self.addCleanup(self.x.close)
        self.x.xfixes_query_version()
        self.root = self.x.screen().root
        self.process = None

    # The program

    def start(self, wrapper=(), binary=BINARY, wait=True):
        """Starts the program (through `wrapper`, a command that execs its arguments) and,
        with `wait`, waits for its login window to be mapped."""
        self.stderr_path = os.path.join(self.home, "stderr-%d" % time.monotonic_ns())
        with open(self.stderr_path, "wb") as stderr:
            self.process = subprocess.Popen(list(wrapper) + [binary], env=self.env,
                                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                            stderr=stderr)
        self.addCleanup(self._kill, self.process)
        self.window = self.wait_for_login_window() if wait else None
        return self.window

    def wait_for_login_window(self):
        self.window = wait_for(lambda: self._window_titled_like("Corvane ("), "the login window")
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
        prop = window.get_full_property(self.x.intern_atom("_NET_WM_NAME"),
                                        self.x.intern_atom("UTF8_STRING"))
        return prop.value.decode() if prop else None

    def _window_titled_like(self, prefix):
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

    def send_close_request(self, window):
        protocols = self.x.intern_atom("WM_PROTOCOLS")
        delete = self.x.intern_atom("WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(window=window, client_type=protocols,
                                             data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(event, event_mask=X.NoEventMask)
        self.x.flush()

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

    def move_pointer(self, point):
        self.xdotool("mousemove", "--window", self.window.id, point[0], point[1])

    def key(self, *keys, window=None):
        self.focus(window)
        self.xdotool("key", "--delay", 30, *keys)

    def type_text(self, text):
        self.focus()
        self.xdotool("type", "--delay", 30, text)

    def replace_text(self, box, text):
        """Clicks into a text box, selects all and types over it."""
        self.click(box)
        self.key("ctrl+a", "BackSpace")
        if text:
            self.type_text(text)

    def box_text(self, box):
        """Reads a text box as a person would copy it: select all, copy, read the clipboard.

        Copying an empty box leaves the clipboard alone, so a marker put there first and still
        there afterwards means the box is empty."""
        marker = "clipboard-before-copy-%d" % time.monotonic_ns()
        self.tool("xclip", "-i", "-selection", "clipboard", input=marker.encode(), check=True)
        self.click(box)
        self.key("ctrl+a", "ctrl+c")
        self.settle()
        result = self.tool("xclip", "-o", "-selection", "clipboard", capture_output=True,
                           check=True)
        text = result.stdout.decode()
        return "" if text == marker else text

    # What has been stored and started

    def stored_file(self):
        try:
            with open(self.settings_file, "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def opener_starts(self):
        starts = []
        for name in sorted(os.listdir(self.records)):
            if name.startswith("start-"):
                with open(os.path.join(self.records, name)) as f:
                    starts.append(f.read().splitlines())
        return starts

    def settle(self):
        """Lets the program handle what it was sent: a round trip through it and the server."""
        self.x.sync()
        time.sleep(0.3)
        self.x.sync()

    # Pixels

    def window_pixels(self):
        geometry = self.window.get_geometry()
        image = self.window.get_image(0, 0, geometry.width, geometry.height, X.ZPixmap,
                                      0xFFFFFFFF)
        return geometry.width, geometry.height, image.data


def read_bmp(path):
    """A 24-bit bottom-up BMP as (width, height, rows of (b, g, r) tuples, top row first)."""
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
    return width, height, rows


def root_wrapper(script, *args):
    """A command that runs `script` in a private mount namespace and then execs the program."""
    return ["unshare", "--mount", "--propagation", "private", "sh", "-c",
            script + ' && exec "$0" "$@"'] + list(args)


def can_use_private_mounts():
    if os.geteuid() != 0:
        return False
    probe = subprocess.run(["unshare", "--mount", "--propagation", "private", "true"],
                           capture_output=True)
    return probe.returncode == 0
