# SPDX-License-Identifier: MIT
"""The same binary as a native Wayland client, on a headless Weston, proven from the protocol:
WAYLAND_DEBUG=1 makes the client print every request it sends, from which the test reads its
toplevel's title, size limits and application id, and that it drew a frame after the
compositor's first configure, which is when a Wayland window is shown."""

import os
import re
import subprocess
import unittest

from harness import CLIENT, QtDesktop, wait_for

SOCKET = "corvane-test"
# A request as libwayland prints it: "[time]  -> object@id.request(arguments)".
REQUEST = re.compile(r"^\[\s*[\d.]+\]\s+->\s+(\w+)@(\d+)\.(\w+)\((.*)\)$", re.MULTILINE)


class WaylandTest(QtDesktop):
    def test_native_window_is_titled_and_fixed_in_size(self):
        with open(os.path.join(self.home, "weston.log"), "wb") as log:
            weston = subprocess.Popen(["weston", "--backend=headless-backend.so",
                                       "--socket=" + SOCKET, "--idle-time=0"],
                                      env=self.env, stdin=subprocess.DEVNULL, stdout=log,
                                      stderr=subprocess.STDOUT)
        self.addCleanup(self._kill, weston)
        wait_for(lambda: os.path.exists(os.path.join(self.env["XDG_RUNTIME_DIR"], SOCKET)),
                 "Weston's socket")
        del self.env["DISPLAY"]
        self.env.update(WAYLAND_DISPLAY=SOCKET, QT_QPA_PLATFORM="wayland", WAYLAND_DEBUG="1")
        self.start(wait=False)

        def shown():
            """The requests to the toplevel, once a frame was committed after the first
            acknowledged configure."""
            sent = REQUEST.findall(self.stderr_text())
            calls = [(interface, name) for interface, _, name, _ in sent]
            if ("xdg_surface", "ack_configure") not in calls or \
                    ("wl_surface", "commit") not in calls[calls.index(
                        ("xdg_surface", "ack_configure")):]:
                return None
            toplevel = {}
            for interface, _, name, arguments in sent:
                if interface == "xdg_toplevel":
                    toplevel.setdefault(name, []).append(arguments)
            return toplevel

        toplevel = wait_for(shown, "the window to be shown on Wayland")
        self.assertEqual(toplevel.get("set_title"), ['"Corvane (Offline)"'])
        self.assertEqual(toplevel.get("set_min_size"), ["%d, %d" % CLIENT])
        self.assertEqual(toplevel.get("set_max_size"), ["%d, %d" % CLIENT])
        # The application id is the desktop file's name: the compositor's key to the menu entry
        # and its icon.
        self.assertEqual(toplevel.get("set_app_id"), ['"corvane"'])
        # Nothing but the protocol on stderr: no warning from Qt's Wayland plugin.
        self.assertEqual([line for line in self.stderr_text().splitlines()
                          if not re.match(r"^\[\s*[\d.]+\]", line)], [])
        self.assertIsNone(self.process.poll(), "the program ended by itself")


if __name__ == "__main__":
    unittest.main()
