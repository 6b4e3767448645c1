# SPDX-License-Identifier: MIT
"""The login window as a screen reader meets it, over a real AT-SPI bus.

Each test starts a private session bus, on which at-spi2-core's accessibility bus is started by
activation, and the program with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1. The tree and the events are
read by atspi_reader.py, in a process of its own with a timeout, through python3-pyatspi.
"""

import json
import os
import queue
import signal
import subprocess
import sys
import threading
import time
import unittest

from harness import (BANNER_RECT, EXIT_RECT, LOGIN_RECT, PASSWORD_BOX, PASSWORD_RECT,
                     USERNAME_BOX, USERNAME_RECT, QtDesktop, wait_for)

READER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "atspi_reader.py")
READER_TIMEOUT = 40

# Typed into the password box: none of its characters occurs in any name in the window.
PASSWORD = "qz7K46"
PASSWORD_CHARACTER = "*"


def walk(tree):
    yield tree
    for child in tree["children"]:
        yield from walk(child)


class SessionBus:
    """A private D-Bus session bus; at-spi2-core's bus launcher is started on it by activation."""

    def __init__(self, env):
        self.process = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--print-address=1"], env=env,
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.address = self.process.stdout.readline().decode().strip()
        if not self.address:
            raise RuntimeError("dbus-daemon did not start")

    def children(self):
        """The processes the bus started (the accessibility bus launcher), by their PIDs."""
        found = []
        for entry in os.listdir("/proc"):
            if entry.isdigit():
                try:
                    with open("/proc/%s/stat" % entry) as f:
                        fields = f.read().rsplit(")", 1)[1].split()
                except OSError:
                    continue
                if int(fields[1]) == self.process.pid:
                    found.append(int(entry))
        return found

    def stop(self):
        started = self.children()
        self.process.terminate()
        self.process.wait(timeout=10)
        self.process.stdout.close()
        # The launcher ends with the bus it serves, and takes its own bus along; one that does
        # not is ended here.
        for pid in started:
            deadline = time.monotonic() + 10
            while os.path.exists("/proc/%d" % pid) and time.monotonic() < deadline:
                time.sleep(0.05)
            if os.path.exists("/proc/%d" % pid):
                os.kill(pid, signal.SIGTERM)


class Listener:
    """atspi_reader.py listening to the program's events; its lines are collected as they come."""

    def __init__(self, test, pid):
        self.process = subprocess.Popen(
            [sys.executable, READER, "listen", str(pid)], env=test.env,
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        test.addCleanup(self._kill)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        first = self.lines.get(timeout=READER_TIMEOUT)
        if first != "ready":
            raise AssertionError("the listener did not start: %r %s"
                                 % (first, self.process.stderr.read().decode()))
        self.events = []

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.decode().strip())

    def _kill(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait(timeout=10)
        self.process.stdout.close()
        self.process.stderr.close()

    def heard(self, wait=0.0):
        """Every event heard so far, after waiting `wait` seconds for more."""
        deadline = time.monotonic() + wait
        while True:
            try:
                self.events.append(json.loads(
                    self.lines.get(timeout=max(0.0, deadline - time.monotonic()))))
            except queue.Empty:
                return self.events

    def stop(self):
        self.process.stdin.close()
        self.process.wait(timeout=READER_TIMEOUT)
        return self.heard()


class ScreenReaderTest(QtDesktop):
    def setUp(self):
        super().setUp()
        self.bus = SessionBus(self.env)
        self.addCleanup(self.bus.stop)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self.bus.address
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"

    def start_and_activate(self):
        window = self.start()
        # As a window manager would when the window is shown: it gets the keyboard.
        self.focus()
        self.origin = self.client_origin()
        return window

    def read_tree(self):
        result = subprocess.run([sys.executable, READER, "tree", str(self.process.pid)],
                                env=self.env, capture_output=True, timeout=READER_TIMEOUT)
        self.assertEqual(result.returncode, 0, result.stderr.decode())
        return json.loads(result.stdout)

    def on_screen(self, rect):
        return [self.origin[0] + rect[0], self.origin[1] + rect[1], rect[2], rect[3]]

    def named(self, tree, name):
        found = [n for n in walk(tree) if n["name"] == name]
        self.assertEqual(len(found), 1, "%d objects are named %r" % (len(found), name))
        return found[0]

    def test_controls_are_named_placed_and_the_focus_is_on_login(self):
        self.start_and_activate()

        # The window takes the keyboard as it is activated; the tree shows it once Qt has
        # handled that.
        def tree_with_a_focus():
            tree = self.read_tree()
            return tree if any("focused" in n["states"] for n in walk(tree)) else None

        app = wait_for(tree_with_a_focus, "an object with the focus")
        self.assertEqual(app["role"], "application")
        self.assertEqual(len(app["children"]), 1)
        window = app["children"][0]
        self.assertEqual(window["name"], "Corvane (Offline)")
        self.assertIn("active", window["states"])

        login = self.named(app, "Login")
        exit_button = self.named(app, "Exit")
        username = self.named(app, "Username")
        password = self.named(app, "Password")
        banner = self.named(app, "Corvane web site")
        for control, role, rect in [(login, "push button", LOGIN_RECT),
                                    (exit_button, "push button", EXIT_RECT),
                                    (username, "text", USERNAME_RECT),
                                    (password, "password text", PASSWORD_RECT),
                                    (banner, "filler", BANNER_RECT)]:
            with self.subTest(control=control["name"]):
                self.assertEqual(control["role"], role)
                self.assertEqual(control["extents"], self.on_screen(rect))
                self.assertIn("showing", control["states"])
        for box in (username, password):
            self.assertIn("editable", box["states"])
            self.assertIn("EditableText", box["interfaces"])
        self.assertEqual(username["text"], "Username")
        self.assertEqual(banner["description"],
                         "Opens http://www.corvane.example in the web browser")

        focused = [n["name"] for n in walk(app) if "focused" in n["states"]]
        self.assertEqual(focused, ["Login"])
        self.assertEqual(len([n for n in walk(app) if "focusable" in n["states"]]), 4)

    def test_password_is_neither_shown_nor_told(self):
        self.start_and_activate()
        listener = Listener(self, self.process.pid)

        # The listener hears the program once the program has learnt of it from the registry:
        # move the focus until the listener hears it move.
        def heard_a_focus_change():
            self.key("Tab")
            return any(e["type"].startswith("object:state-changed:focused")
                       for e in listener.heard(wait=0.3))

        wait_for(heard_a_focus_change, "the listener to hear the focus move")

        self.replace_text(USERNAME_BOX, "ann")
        self.click(PASSWORD_BOX)
        self.type_text(PASSWORD)
        self.key("BackSpace")
        self.settle()
        app = self.read_tree()
        events = listener.stop()

        # The name typed into the user-name box is told, character by character...
        def inserted_into(name):
            return "".join(e["text"] for e in events
                           if e["type"] == "object:text-changed:insert"
                           and e["source"] and e["source"]["name"] == name)

        self.assertEqual(inserted_into("Username"), "ann")
        # ...and each character typed into the password box is told as the box shows it.
        self.assertEqual(inserted_into("Password"), PASSWORD_CHARACTER * len(PASSWORD))
        deleted = [e["text"] for e in events if e["type"] == "object:text-changed:delete"
                   and e["source"] and e["source"]["name"] == "Password"]
        self.assertEqual(deleted, [PASSWORD_CHARACTER])
        for event in events:
            told = event["text"] or ""
            self.assertFalse(set(told) & set(PASSWORD), "an event tells the password: %r" % event)

        password = self.named(app, "Password")
        self.assertEqual(password["role"], "password text")
        self.assertIn("focused", password["states"])
        # Its text, to a reader, is nothing or the stars it shows for what is left in it.
        self.assertIn(password["text"], ["", PASSWORD_CHARACTER * (len(PASSWORD) - 1)])
        # Nothing in the tree holds any two neighbouring characters of it.
        pieces = {PASSWORD[i:i + 2] for i in range(len(PASSWORD) - 1)}
        for n in walk(app):
            for field in ("name", "description", "text"):
                told = n[field] or ""
                self.assertFalse([p for p in pieces if p in told],
                                 "the %s of %r tells the password: %r" % (field, n["name"], told))
        self.assertEqual(self.named(app, "Username")["text"], "ann")
        # Qt's bridge had nothing to complain of, such as an event it could not send.
        self.assertEqual(self.stderr_text(), "")


if __name__ == "__main__":
    unittest.main()
