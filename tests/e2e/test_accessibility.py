# SPDX-License-Identifier: MIT
# The login window as a screen reader meets it, over a real AT-SPI bus.
#
# The test starts a private session bus, on which at-spi2-core's accessibility bus is started by
# activation, and the program with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1. The tree and the events are
# read by atspi_reader.py, in a process of its own with a timeout, through python3-pyatspi.

import json
import os
import subprocess
import sys
import time
import unittest

from harness import (BANNER_RECT, EXIT_RECT, LOGIN_RECT, PASSWORD_BOX, PASSWORD_RECT, READER,
                     TIMEOUT, USERNAME_BOX, USERNAME_RECT, QtDesktop, wait_for)

# Typed into the password box: none of its characters occurs in any name in the window.
PASSWORD = "qz7K46"


def walk(tree):
    yield tree
    for child in tree["children"]:
        yield from walk(child)


class ScreenReaderTest(QtDesktop):
    def setUp(self):
        super().setUp()
        self.use_screen_reader_bus()

    def named(self, tree, name):
        found = [n for n in walk(tree) if n["name"] == name]
        self.assertEqual(len(found), 1, "%d objects are named %r" % (len(found), name))
        return found[0]

    def test_controls_are_named_and_placed_and_the_password_is_never_told(self):
        self.start()
        # As a window manager would when the window is shown: it gets the keyboard. The tree
        # shows that once Qt has handled it.
        self.focus()
        origin = self.client_origin()
        app = wait_for(lambda: (lambda tree: tree if any(
            "focused" in n["states"] for n in walk(tree)) else None)(self.read_accessible("tree")),
            "an object with the focus")
        self.assertEqual([w["name"] for w in app["children"]], ["Corvane (Offline)"])
        self.assertIn("active", app["children"][0]["states"])
        for name, role, rect in [("Login", "push button", LOGIN_RECT),
                                 ("Exit", "push button", EXIT_RECT),
                                 ("Username", "text", USERNAME_RECT),
                                 ("Password", "password text", PASSWORD_RECT),
                                 ("Corvane web site", "filler", BANNER_RECT)]:
            control = self.named(app, name)
            self.assertEqual((control["role"], control["extents"]),
                             (role, [origin[0] + rect[0], origin[1] + rect[1], rect[2], rect[3]]))
        self.assertEqual(self.named(app, "Username")["text"], "Username")
        self.assertEqual(self.named(app, "Corvane web site")["description"],
                         "Opens http://www.corvane.example in the web browser")
        self.assertEqual([n["name"] for n in walk(app) if "focused" in n["states"]], ["Login"])
        self.assertEqual(len([n for n in walk(app) if "focusable" in n["states"]]), 4)

        # A listener hears the program once the program has learnt of it from the registry:
        # move the focus until it hears the focus move.
        heard = os.path.join(self.home, "heard")
        listener = subprocess.Popen([sys.executable, READER, "listen", str(self.process.pid)],
                                    env=self.env, stdin=subprocess.PIPE,
                                    stdout=open(heard, "w"), stderr=subprocess.DEVNULL)
        self.addCleanup(listener.kill)

        def events():
            with open(heard) as f:
                return [json.loads(line) for line in f if line.startswith("{")]

        def heard_a_focus_change():
            self.key("Tab")
            time.sleep(0.3)
            return any(e["type"].startswith("object:state-changed:focused") for e in events())

        # The name typed into the user-name box is told character by character, and each
        # character typed into the password box or taken away as the box shows it.
        def told(kind, name):
            return [e["text"] for e in events() if e["type"] == "object:text-changed:" + kind
                    and e["source"] and e["source"]["name"] == name]

        wait_for(heard_a_focus_change, "the listener to hear the focus move")
        self.replace_text(USERNAME_BOX, "ann")
        self.click(PASSWORD_BOX)
        self.type_text(PASSWORD)
        self.key("BackSpace")
        # The last key's event is the last the listener hears of the typing.
        wait_for(lambda: told("delete", "Password"), "the deleted character to be told")
        app = self.read_accessible("tree")
        listener.stdin.close()
        listener.wait(timeout=2 * TIMEOUT)

        self.assertEqual("".join(told("insert", "Username")), "ann")
        self.assertEqual("".join(told("insert", "Password")), "*" * len(PASSWORD))
        self.assertEqual(told("delete", "Password"), ["*"])
        for event in events():
            self.assertFalse(set(event["text"] or "") & set(PASSWORD), event)
        password = self.named(app, "Password")
        self.assertIn("focused", password["states"])
        self.assertIn(password["text"], ["", "*" * (len(PASSWORD) - 1)])
        # Nothing in the tree holds any two neighbouring characters of it.
        pieces = {PASSWORD[i:i + 2] for i in range(len(PASSWORD) - 1)}
        for node in walk(app):
            for field in ("name", "description", "text"):
                self.assertFalse([p for p in pieces if p in (node[field] or "")], node[field])
        # Qt's bridge had nothing to complain of, such as an event it could not send.
        self.assertEqual(self.stderr_text(), "")


if __name__ == "__main__":
    unittest.main()
