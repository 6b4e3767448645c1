# SPDX-License-Identifier: MIT
# Drives a Corvane program on a private X server, as a person at the desktop would.
#
# Every test gets its own Xvfb, home and stand-in `xdg-open` first on PATH that records how it was
# started. `Desktop` holds what is the same for every program; `QtDesktop` starts the Linux program,
# always in a private mount namespace where a staged interface list stands in for /sys/class/net, so
# that no start depends on the host's links; the Windows program's harness (test_win32.py) derives
# its own. Only processes started here are stopped, by their PIDs.
#
# A test that needs what some machines lack calls `require()`. Where the machine lacks it, the test
# fails, unless CORVANE_ALLOW_SKIPS (a comma-separated list) names the capability: then the test is
# skipped, and the skip is written to CORVANE_SKIP_LOG for test.sh's summary.

import colorsys
import functools
import json
import os
import pathlib
import shlex
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

from Xlib import X, Xatom, display, error, protocol

# How long any one step may take; a program run under valgrind needs many times more.
TIMEOUT = float(os.environ.get("CORVANE_TIMEOUT", "20"))
# How long after an action that must do nothing the program is kept running before the test's
# final count, so that an action it wrongly put off for a while would have run. Such an action
# waits on the clock, not on the program's speed, so this does not grow with TIMEOUT: under
# valgrind it would only idle.
LATE = 2.0
ASSETS_DIR = os.environ.get("CORVANE_ASSETS", "")
# The settings of AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer.
SANITIZER_SETTINGS = ("ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS")
SCREEN = (1280, 1024)
CLIENT = (460, 292)
READER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "atspi_reader.py")

# The controls in the window's client area at 96 DPI: x, y, width, height.
LOGIN_RECT = (8, 216, 449, 33)
EXIT_RECT = (8, 256, 449, 33)
USERNAME_RECT = (240, 136, 217, 25)
PASSWORD_RECT = (240, 176, 217, 25)
BANNER_RECT = (0, 0, 456, 135)
CONTROLS = {"Login": LOGIN_RECT, "Exit": EXIT_RECT, "user name": USERNAME_RECT,
            "password": PASSWORD_RECT}

# Where to click them: their centres.
LOGIN, EXIT, USERNAME_BOX, PASSWORD_BOX = [
    (x + width // 2, y + height // 2)
    for x, y, width, height in (LOGIN_RECT, EXIT_RECT, USERNAME_RECT, PASSWORD_RECT)]
BANNER = (200, 60)
BACKGROUND_BELOW_BANNER = (100, 180)

STAND_IN_OPENER = """#!/bin/bash
# Records one start: its arguments, the focus tokens it was handed, its core-dump limits, and what
# it inherited as a process (its session, standard input, blocked and ignored signals, as bash
# hands them on to its own children: dash clears the mask it was given); in a file of its own,
# named by the time, so that starts close together never share one. Then it stays, as a browser
# does, until the test's home goes.
record=$(mktemp "$RECORDS/.start-XXXXXX")
{
  printf 'argc=%s\\n' "$#"
  for a in "$@"; do printf 'arg=%s\\n' "$a"; done
  printf 'DESKTOP_STARTUP_ID=%s\\n' "${DESKTOP_STARTUP_ID-unset}"
  printf 'XDG_ACTIVATION_TOKEN=%s\\n' "${XDG_ACTIVATION_TOKEN-unset}"
  printf 'core=%s/%s\\n' "$(ulimit -S -c)" "$(ulimit -H -c)"
  printf 'pid=%s\\nsession=%s\\nstdin=%s\\n' "$$" "$(cut -d' ' -f6 /proc/$$/stat)" \\
    "$(readlink /proc/$$/fd/0)"
  sed -n 's/^\\(SigBlk\\|SigIgn\\):[[:space:]]*/\\1=/p' /proc/self/status
} > "$record"
mv "$record" "$RECORDS/start-$(date +%s%N)-$$"
while [ -d "$RECORDS" ]; do sleep 0.2; done
"""

# The interface list every start sees unless a test stages another: one ethernet link, up, and no
# PPP link. (name, type, ifindex, flags): type 512 is PPP, flag 0x1 is up.
OFFLINE_LINKS = [("eth0", 1, 2, "0x1003")]


# What a machine may lack

@functools.lru_cache(maxsize=None)
def private_mounts():
    # The command that runs its arguments in a private mount namespace: root's own, or an ordinary
    # user's inside a user namespace of its own; None where the kernel refuses both.
    # Found on the test's own PATH: a test may hand the program another.
    command = [shutil.which("unshare") or "unshare", "--mount", "--propagation", "private"]
    if os.geteuid() != 0:
        command[1:1] = ["--user", "--map-root-user"]
    works = subprocess.run(command + ["true"], capture_output=True).returncode == 0
    return command if works else None


CAPABILITIES = {
    "namespaces": (lambda: private_mounts() is not None,
                   "a private mount namespace (to stage /sys/class/net and mounts)"),
    "root": (lambda: os.geteuid() == 0, "root (to run the program as another user)"),
}


def require(test, capability):
    # Fails `test` where the machine lacks `capability`, or skips it where CORVANE_ALLOW_SKIPS
    # allows that, writing the skip to CORVANE_SKIP_LOG.
    present, what = CAPABILITIES[capability]
    if present():
        return
    allowed = os.environ.get("CORVANE_ALLOW_SKIPS", "").split(",")
    if capability not in allowed:
        test.fail("this machine lacks %s; CORVANE_ALLOW_SKIPS=%s would skip %s"
                  % (what, capability, test.id()))
    log = os.environ.get("CORVANE_SKIP_LOG")
    if log:
        with open(log, "a") as f:
            f.write("%s\t%s\tthis machine lacks %s\n" % (capability, test.id(), what))
    test.skipTest("this machine lacks " + what)


# Processes

def processes():
    # Every process as (its number, its command line's words, the fields of /proc/PID/stat after
    # its name: state, parent, group, session, ...); one that goes meanwhile is left out.
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as command, open("/proc/%s/stat" % pid) as st:
                yield pid, command.read().split(b"\0"), st.read().rsplit(")", 1)[1].split()
        except OSError:
            pass


# Waiting on the program

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
    # Runs `check`, an assertion, until it holds: what a program shows can lag behind what it was
    # sent when the machine is busy.
    deadline = time.monotonic() + timeout
    while True:
        try:
            return check()
        except AssertionError:
            if time.monotonic() > deadline:
                raise
            time.sleep(0.1)


# The artwork and the pixels

def read_bmp(path):
    # A 24-bit bottom-up BMP as rows of (b, g, r) tuples, top row first: the pixels' offset at
    # byte 10, the width and height at 18 and 22, each row padded to four bytes.
    data = pathlib.Path(path).read_bytes()
    offset, width, height = struct.unpack_from("<I4xii", data, 10)
    stride = (width * 3 + 3) & ~3
    return [[tuple(data[start + i:start + i + 3]) for i in range(0, width * 3, 3)]
            for start in (offset + (height - 1 - y) * stride for y in range(height))]


@functools.lru_cache(maxsize=None)
def artwork(assets):
    # What the window's two pictures show together, pixel by pixel at 96 DPI, as (b, g, r).
    background = read_bmp(os.path.join(assets, "background.bmp"))
    banner = read_bmp(os.path.join(assets, "banner.bmp"))
    return [[banner[y][x] if BANNER_RECT[2] > x and BANNER_RECT[3] > y else background[y][x]
             for x in range(CLIENT[0])] for y in range(CLIENT[1])]


def painted_box(pixel, rect, scale, margin=3):
    # The bounding box, in screen pixels, of what differs from the artwork around a control;
    # `margin` is less than the gap between two controls.
    picture = artwork(ASSETS_DIR)
    x0, y0 = max(0, (rect[0] - margin) * scale), max(0, (rect[1] - margin) * scale)
    x1 = min(CLIENT[0], rect[0] + rect[2] + margin) * scale
    y1 = min(CLIENT[1], rect[1] + rect[3] + margin) * scale
    found = [(x, y) for y in range(y0, y1) for x in range(x0, x1)
             if pixel(x, y) != picture[y // scale][x // scale]]
    xs, ys = [p[0] for p in found], [p[1] for p in found]
    return (min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1) if found else None


def icon_kind(pixels):
    # What a box's icon is, told by its colours as a person tells it: "warning" (a yellow or orange
    # sign), "error" (a red one), or "other"; `pixels` are (b, g, r).
    counts = {"warning": 0, "error": 0}
    for b, g, r in pixels:
        hue, lightness, saturation = colorsys.rgb_to_hls(r / 255, g / 255, b / 255)
        if saturation > 0.6 and 0.25 < lightness < 0.8:
            if 0.06 < hue < 0.2:
                counts["warning"] += 1
            elif hue < 0.03 or hue > 0.97:
                counts["error"] += 1
    kind = max(counts, key=counts.get)
    return kind if counts[kind] >= 20 else "other"


class Xvfb:
    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % SCREEN,
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        # Xvfb writes the display's number and a line break once it is ready.
        with os.fdopen(read_end) as pipe:
            number = pipe.readline()
        if not number.endswith("\n"):
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number.strip()

    def stop(self):
        # Xvfb may take its time to close down on a loaded machine; the test is over anyway.
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait(timeout=10)


class Desktop(unittest.TestCase):
    # A private X server and home for each test, and a person's hands and eyes on them.

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
        self.records, bin_dir, runtime = (os.path.join(self.home, name)
                                          for name in ("opener-records", "bin", "runtime"))
        for folder, mode in ((self.records, 0o777), (bin_dir, 0o755), (runtime, 0o700)):
            os.mkdir(folder)
            os.chmod(folder, mode)
        put(os.path.join(bin_dir, "xdg-open"), STAND_IN_OPENER.encode(), 0o755)
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
        self.inert_at = None

    # The program

    def command(self):
        raise NotImplementedError

    def command_line(self, command):
        # The command line that starts `command`; a harness may wrap it.
        return command

    def start(self, wrapper=(), wait=True, command=None):
        # Starts the program (through `wrapper`, a command that execs its arguments) and, with
        # `wait`, waits for its login window to be mapped.
        self.stderr_path = os.path.join(self.home, "stderr-%d" % time.monotonic_ns())
        with open(self.stderr_path, "wb") as stderr:
            self.process = subprocess.Popen(
                self.command_line(list(wrapper) + (command or self.command())), env=self.env,
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=stderr)
        self.addCleanup(self._kill, self.process)
        self.window = None
        return self.wait_for_login_window() if wait else None

    def wait_for_login_window(self):
        self.window = wait_for(lambda: self.window_titled_like("Corvane ("), "the login window")
        return self.window

    def _kill(self, process):
        if process.poll() is None:
            process.kill()
            process.wait(timeout=10)

    def stderr_text(self):
        return pathlib.Path(self.stderr_path).read_bytes().decode(errors="replace")

    def exit_status(self):
        return self.process.wait(timeout=TIMEOUT)

    def exit_program(self, scale=1):
        self.click((EXIT[0] * scale, EXIT[1] * scale))
        self.assertEqual(self.exit_status(), 0)

    # Windows on the X server

    def windows_of_program(self):
        # The program's viewable top-level windows (found by _NET_WM_PID, never by name).
        found = []
        pid_atom = self.x.intern_atom("_NET_WM_PID")
        for child in self.root.query_tree().children:
            try:
                pid = child.get_full_property(pid_atom, Xatom.CARDINAL)
                if pid and pid.value[0] == self.process.pid and \
                        child.get_attributes().map_state == X.IsViewable:
                    found.append(child)
            except error.BadWindow:
                pass  # a window that went meanwhile
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
        # The program's windows besides the login window, each titled "Corvane".
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
        # Where the window's client area is on the screen.
        translated = self.root.translate_coords(self.window, 0, 0)
        return (translated.x, translated.y)

    # Message boxes, read as a person or a screen reader reads them

    def prepare_to_read_boxes(self):
        # Called before the start of a program whose box a test will read.
        pass

    def box_contents(self, box):
        # The harness's own reading of a box: its paragraphs of text, its buttons' captions, the
        # screen rectangle of its icon (None without one) and the title of the window that owns it
        # (None without one).
        raise NotImplementedError

    def x_owner(self, box):
        # The title of the window that owns a box, as X11 tells it: an owned window names its owner
        # in WM_TRANSIENT_FOR; one that belongs to no window may name its program's client leader
        # there instead, so that a window manager keeps it in front.
        owner = box.get_wm_transient_for()
        leader = box.get_full_property(self.x.intern_atom("WM_CLIENT_LEADER"), Xatom.WINDOW)
        if owner is None or owner.id == self.root.id or (leader and owner.id == leader.value[0]):
            return None
        return self.title(owner)

    def read_box(self, box):
        # What a box says and shows: title, paragraphs, buttons, the kind of its icon (None without
        # one), and the title of the window that owns it (None without one).
        contents = self.box_contents(box)
        if contents["icon"] is not None:
            x, y, width, height = contents["icon"]
            data = self.root.get_image(x, y, width, height, X.ZPixmap, 0xFFFFFFFF).data
            contents["icon"] = icon_kind(tuple(data[i:i + 3]) for i in range(0, len(data), 4))
        return dict(contents, title=self.title(box))

    # Input, through xdotool as a person's hands

    def tool(self, *args, **kwargs):
        # Runs an X tool of the test's (found on the test's own PATH) on the test's display.
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
        # Replaces a box's text: typed when it is plain ASCII, else pasted from the clipboard
        # (xdotool's typing of other characters is unreliable).
        self.click(box)
        self.key(*self.SELECT_ALL, "BackSpace")
        if text and text.isascii() and text.isprintable() and len(text) < 200:
            self.type_text(text)
        elif text:
            self.set_clipboard(text)
            self.key("ctrl+v")

    def box_text(self, box):
        # Reads a text box as a person would copy it. A mark typed at its end first makes every copy
        # non-empty, so that a copy that never arrives fails instead of reading as empty; the mark
        # is taken away again.
        self.set_clipboard("clipboard-before-copy")
        self.click(box)
        self.key("End", "asciitilde", *self.SELECT_ALL, "ctrl+c", "End", "BackSpace")
        text = wait_for(lambda: (lambda t: t if t.endswith("~") else None)(self.clipboard()),
                        "the box's text on the clipboard")
        return text[:-1]

    # What the program did

    def opener_starts(self):
        # The starts recorded so far, each as its lines ("argc=1", "arg=...", ...).
        return [path.read_text().splitlines()
                for path in sorted(pathlib.Path(self.records).glob("start-*"))]

    def settled_opener_starts(self):
        # Every start the program made before the action the test last saw it handle, each once it
        # is recorded: a harness waits for a barrier that all those starts would have passed.
        raise NotImplementedError

    def everything_stored(self):
        # Every byte the program could have left in files: those under the test's home.
        return b"".join(path.read_bytes() for path in pathlib.Path(self.home).rglob("*")
                        if path.is_file() and not path.is_symlink())

    def inert(self):
        # Marks an action that must do nothing: `after_late_actions` waits until the program has had
        # LATE seconds since the last one to do it anyway.
        self.inert_at = time.monotonic()

    def after_late_actions(self):
        if self.inert_at is not None:
            time.sleep(max(0.0, self.inert_at + LATE - time.monotonic()))

    # Pixels

    def window_pixels(self):
        # The client area's pixels as a function of (x, y) giving (b, g, r).
        geometry = self.window.get_geometry()
        width = geometry.width
        data = self.window.get_image(0, 0, width, geometry.height, X.ZPixmap, 0xFFFFFFFF).data
        return lambda x, y: tuple(data[(y * width + x) * 4:(y * width + x) * 4 + 3])


class QtDesktop(Desktop):
    # The Linux program, with its settings in the test's own configuration home, started in a
    # private mount namespace with a staged interface list.

    BINARY = os.environ.get("CORVANE_BINARY", "")
    # A command the program is run under, such as valgrind's, split as the shell would.
    RUN_UNDER = shlex.split(os.environ.get("CORVANE_RUN_UNDER", ""))
    WRITER = os.environ.get("CORVANE_SETTINGS_WRITER", "")

    def setUp(self):
        super().setUp()
        require(self, "namespaces")
        self.config_home = os.path.join(self.home, "config")
        self.settings_file = os.path.join(self.config_home, "Corvane", "Corvane.conf")
        self.env.update(XDG_CONFIG_HOME=self.config_home, QT_QPA_PLATFORM="xcb")
        # A build with sanitizers is told by these where and how to report.
        self.env.update({name: os.environ[name] for name in SANITIZER_SETTINGS
                         if name in os.environ})
        # Shell commands run in the program's mount namespace before it starts.
        self.mounts = []
        self.stage_dialup("offline")

    def command(self):
        return self.RUN_UNDER + [self.BINARY]

    def command_line(self, command):
        # The mounts with the system's own tools, whatever PATH the program is given.
        script = "(PATH=/usr/sbin:/usr/bin:/sbin:/bin && %s)" % " && ".join(
            [self.net_mount] + self.mounts)
        return private_mounts() + ["/bin/sh", "-c", script + ' && exec "$0" "$@"'] + command

    def settled_opener_starts(self):
        # The program goes on only once its opener's exec has succeeded, so each start it made
        # before the action it last handled runs the stand-in, which records itself first and then
        # stays: they are all recorded once every process running the stand-in has its record.
        script = os.fsencode(os.path.join(self.home, "bin", "xdg-open"))

        def settled():
            starts = self.opener_starts()
            recorded = {line[4:] for start in starts for line in start if line.startswith("pid=")}
            running = {pid for pid, command, _ in processes() if command[1:2] == [script]}
            return (starts,) if running <= recorded else None

        return wait_for(settled, "every opener started to record itself")[0]

    def reachable_binary(self):
        # A copy of the program that any user can run, wherever the build lies.
        copy = os.path.join(self.home, "corvane")
        if not os.path.exists(copy):
            shutil.copy(self.BINARY, copy)
            os.chmod(copy, 0o755)
        return copy

    def stage_dialup(self, state):
        # Stands an interface list in for /sys/class/net: "offline" (no PPP link), "failing" (none
        # at all), or two PPP links of which the first by index is "connected" or the second
        # ("second connected"). Returns no wrapper: the mount goes with every start.
        if state == "failing":
            # An empty file system over /sys/class: the interface list is missing.
            self.net_mount = "mount -t tmpfs none /sys/class"
            return ()
        links = list(OFFLINE_LINKS)
        if state != "offline":
            up, down = ("0x1091", "0x1090") if state == "connected" else ("0x1090", "0x1091")
            links += [("ppp1", 512, 7, down), ("ppp0", 512, 5, up)]
        tree = tempfile.mkdtemp(dir=self.home)
        os.chmod(tree, 0o755)
        for name, kind, index, flags in links:
            os.mkdir(os.path.join(tree, name))
            for file, value in {"type": kind, "ifindex": index, "flags": flags,
                                "carrier": 1}.items():
                with open(os.path.join(tree, name, file), "w") as f:
                    f.write("%s\n" % value)
        self.net_mount = "mount --bind %s /sys/class/net" % shlex.quote(tree)
        return ()

    def stage_refused_write(self):
        # The settings folder made read-only by a mount, which holds for root too. Returns the
        # failure the program reports.
        folder = shlex.quote(os.path.dirname(self.settings_file))
        os.makedirs(os.path.dirname(self.settings_file), exist_ok=True)
        self.mounts.append("mount --bind %s %s && mount -o remount,bind,ro %s %s"
                           % (folder, folder, folder, folder))
        return "Could not write %s: Read-only file system" % self.settings_file

    def stage_unstartable_browser(self):
        # An opener whose interpreter does not exist. Returns the failure the program reports.
        put(os.path.join(self.home, "bin", "xdg-open"), b"#!/nonexistent/interpreter\n", 0o755)
        return "Could not open http://www.corvane.example: No such file or directory"

    def stage_failed_start(self):
        # A copy of the program whose embedded background picture is damaged: its "BM" mark, found
        # by the picture's header, which the program carries uncompressed. Returns the command that
        # starts it and the failure it reports.
        program = bytearray(pathlib.Path(self.BINARY).read_bytes())
        at = program.find(pathlib.Path(ASSETS_DIR, "background.bmp").read_bytes()[:54])
        self.assertGreater(at, 0, "the background picture is not in the program as it is")
        program[at:at + 2] = b"XX"
        binary = os.path.join(self.home, "damaged-corvane")
        put(binary, program, 0o755)
        return [binary], "Could not load :/assets/background.bmp: not a BMP file"

    def use_screen_reader_bus(self):
        # A private session bus, on which at-spi2-core's accessibility bus starts by activation, and
        # the toolkit's bridge to it always on.
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        # The accessibility bus's launcher ends with the session bus it was started on.
        self.addCleanup(bus.wait, timeout=10)
        self.addCleanup(bus.terminate)
        self.addCleanup(bus.stdout.close)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().decode().strip()
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"

    def read_accessible(self, what, *args):
        # Runs atspi_reader.py in a process of its own, so that a stuck bus cannot hang the test,
        # and gives back what it printed, parsed.
        result = subprocess.run([sys.executable, READER, what, str(self.process.pid), *args],
                                env=self.env, capture_output=True, timeout=2 * TIMEOUT)
        self.assertEqual(result.returncode, 0, result.stderr.decode())
        return json.loads(result.stdout)

    prepare_to_read_boxes = use_screen_reader_bus

    def box_contents(self, box):
        return dict(self.read_accessible("box"), owner=self.x_owner(box))

    def assertLogged(self, what):
        # Every failure the program reports is also one line on its stderr.
        self.assertIn("corvane: " + what, self.stderr_text())

    def stored_name(self):
        # What the program's own store reads from the file, or None when there is no entry.
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


def put(path, data, mode=None):
    with open(path, "wb") as f:
        f.write(data)
    if mode is not None:
        os.chmod(path, mode)
