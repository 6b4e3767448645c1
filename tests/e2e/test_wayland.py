# SPDX-License-Identifier: MIT
"""The same binary as a native Wayland client, on a headless Weston, proven from the protocol.

WAYLAND_DEBUG=1 makes the client print every request it sends and every event it receives; the
test reads its toplevel's title, size limits and application id from them, and that it answered
the compositor's configure and drew a frame, which is when a Wayland window is shown.
"""

import os
import re
import shutil
import subprocess
import tempfile
import unittest

from harness import TIMEOUT, QtDesktop, wait_for

BINARY = QtDesktop.BINARY

SOCKET = "corvane-test"
CLIENT = (460, 292)

# One protocol message as libwayland prints it: "[time]  -> object@id.request(arguments)" for a
# request, the same without the arrow for an event.
MESSAGE = re.compile(r"^\[\s*[\d.]+\]\s+(->\s+)?(\w+)@(\d+)\.(\w+)\((.*)\)$")


def messages(log):
    """The protocol messages in the log, as (sent, interface, id, name, arguments)."""
    found = []
    for line in log.splitlines():
        match = MESSAGE.match(line)
        if match:
            sent, interface, number, name, arguments = match.groups()
            found.append((bool(sent), interface, int(number), name, arguments))
    return found


class WaylandTest(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.mkdtemp(prefix="corvane-wayland-")
        self.addCleanup(shutil.rmtree, self.home, ignore_errors=True)
        runtime = os.path.join(self.home, "runtime")
        os.mkdir(runtime, 0o700)
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, "config"),
            "XDG_RUNTIME_DIR": runtime,
        }
        with open(os.path.join(self.home, "weston.log"), "wb") as log:
            self.weston = subprocess.Popen(
                ["weston", "--backend=headless-backend.so", "--socket=" + SOCKET,
                 "--idle-time=0"],
                env=self.env, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
        self.addCleanup(self._stop, self.weston)
        socket = os.path.join(runtime, SOCKET)
        wait_for(lambda: os.path.exists(socket) or self.weston.poll() is not None,
                 "Weston's socket")
        self.assertIsNone(self.weston.poll(), "Weston ended: " + self.weston_log())

    def _stop(self, process):
        if process.poll() is None:
            process.terminate()
            process.wait(timeout=TIMEOUT)

    def weston_log(self):
        with open(os.path.join(self.home, "weston.log"), "rb") as f:
            return f.read().decode(errors="replace")

    def test_native_window_is_titled_and_fixed_in_size(self):
        stderr_path = os.path.join(self.home, "corvane.stderr")
        env = dict(self.env, WAYLAND_DISPLAY=SOCKET, QT_QPA_PLATFORM="wayland", WAYLAND_DEBUG="1")
        with open(stderr_path, "wb") as stderr:
            program = subprocess.Popen([BINARY], env=env, stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=stderr)
        self.addCleanup(self._stop, program)

        def log():
            with open(stderr_path, "rb") as f:
                return f.read().decode(errors="replace")

        def toplevel_shown():
            """The toplevel, its surface and its messages, once a frame has been committed after
            the first configure was acknowledged."""
            sent = messages(log())
            toplevels = [m for m in sent if m[0] and m[3] == "get_toplevel"]
            if not toplevels:
                return None
            surfaces = [m for m in sent if m[0] and m[1] == "xdg_wm_base"
                        and m[3] == "get_xdg_surface"]
            surface_id = int(re.search(r"wl_surface@(\d+)", surfaces[-1][4]).group(1))
            acknowledged = False
            for message in sent:
                if message[0] and message[1] == "xdg_surface" and message[3] == "ack_configure":
                    acknowledged = True
                if acknowledged and message[0] and message[1] == "wl_surface" \
                        and message[2] == surface_id and message[3] == "commit":
                    return int(re.search(r"xdg_toplevel@(\d+)", toplevels[-1][4]).group(1)), sent
            return None

        toplevel, sent = wait_for(toplevel_shown, "the window to be shown on Wayland")
        requests = {}
        for is_request, interface, number, name, arguments in sent:
            if is_request and interface == "xdg_toplevel" and number == toplevel:
                requests.setdefault(name, []).append(arguments)
        self.assertEqual(requests.get("set_title"), ['"Corvane (Offline)"'])
        self.assertEqual(requests.get("set_min_size"), ["%d, %d" % CLIENT])
        self.assertEqual(requests.get("set_max_size"), ["%d, %d" % CLIENT])
        # The application id is the desktop file's name: the compositor's key to the menu entry
        # and its icon.
        self.assertEqual(requests.get("set_app_id"), ['"corvane"'])
        # Nothing but the protocol on stderr: no warning from Qt's Wayland plugin.
        self.assertEqual([line for line in log().splitlines() if not MESSAGE.match(line)], [])

        self.assertIsNone(program.poll(), "the program ended by itself")
        program.terminate()
        program.wait(timeout=TIMEOUT)


if __name__ == "__main__":
    unittest.main()
