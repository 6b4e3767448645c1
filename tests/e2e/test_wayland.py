# SPDX-License-Identifier: MIT
# The same binary as a native Wayland client of Weston, used by keyboard as a person would.
#
# Weston runs on its X11 backend in the test's own Xvfb, so the keys xdotool presses on Weston's
# window reach the Wayland window Weston has focused; the program itself gets no DISPLAY. With
# WAYLAND_DEBUG=1 it prints every message it sends (" -> ") and receives: the test reads its window
# and first frame from them, which a program that fell back to X11 would never send.

import os
import re
import subprocess
import unittest

from harness import CLIENT, QtDesktop, wait_for

SOCKET = "corvane-test"
# A message as libwayland prints it: "[time]  -> interface@id.name(arguments)", an event without
# "->". Since libwayland 1.23 a queue's name may follow the time ("{Default Queue}"), an object is
# "interface#id", and an event for an object already gone is marked "discarded".
MESSAGE = re.compile(r"^\[\s*[\d.]+\]\s+(?:\{[^}]*\}\s+)?(-> )?(?:discarded )?(\w+)[@#](\d+)\."
                     r"(\w+)\((.*)\)$", re.MULTILINE)


class WaylandTest(QtDesktop):
    def setUp(self):
        super().setUp()
        with open(os.path.join(self.home, "weston.log"), "wb") as log:
            weston = subprocess.Popen(["weston", "--backend=x11-backend.so", "--use-pixman",
                                       "--no-config", "--socket=" + SOCKET, "--idle-time=0"],
                                      env=self.env, stdin=subprocess.DEVNULL, stdout=log,
                                      stderr=subprocess.STDOUT)
        # Asked to quit, Weston closes its clients (its shell's panel, its on-screen keyboard, which
        # end by themselves) and removes its socket.
        self.addCleanup(self._kill, weston)
        self.addCleanup(weston.wait, timeout=10)
        self.addCleanup(weston.terminate)
        wait_for(lambda: os.path.exists(os.path.join(self.env["XDG_RUNTIME_DIR"], SOCKET)),
                 "Weston's socket")
        window = wait_for(lambda: self.tool(
            "xdotool", "search", "--onlyvisible", "--class", "^Weston Compositor$",
            capture_output=True, text=True).stdout.split(), "Weston's window")[0]
        # Before any client is shown: a later change of X focus makes Weston take the keyboard
        # from the window it gave it to.
        self.tool("xdotool", "windowfocus", "--sync", window, check=True)
        del self.env["DISPLAY"]
        self.env.update(WAYLAND_DISPLAY=SOCKET, QT_QPA_PLATFORM="wayland", WAYLAND_DEBUG="1")

    def shown(self):
        # None until the window has the keyboard and committed a buffer after its first acknowledged
        # configure; then the toplevel's requests, and that buffer's size with the window geometry
        # and opaque region in force at that commit.
        if self.process.poll() is not None:
            self.fail("the program ended before it was shown: %s" % self.not_protocol())
        surface = xdg_surface = frame = attached = None
        toplevel, buffers, regions, state = {}, {}, {}, {}
        for sent, interface, number, name, arguments in MESSAGE.findall(self.stderr_text()):
            # The numbers among the arguments, an object's number without its interface's name.
            ids = [int(n) for n in re.findall(r"-?\d+", re.sub(r"\w+[@#](?=\d)", "", arguments))]
            if sent and interface == "xdg_toplevel":
                toplevel.setdefault(name, []).append(arguments)
            elif name == "get_xdg_surface":
                xdg_surface, surface = ids
            elif name == "create_buffer":
                buffers[ids[0]] = tuple(ids[2:4])
            elif name == "create_region":
                regions[ids[0]] = []
            elif interface == "wl_region" and name == "add":
                regions[int(number)].append(tuple(ids))
            elif name == "set_opaque_region":
                state[name] = regions.get(ids[0], []) if ids else []
            elif name == "set_window_geometry":
                state[name] = ids
            elif name == "ack_configure" and int(number) == xdg_surface:
                state["acknowledged"] = True
            elif interface == "wl_surface" and int(number) == surface:
                if name == "attach" and "acknowledged" in state:
                    attached = buffers.get(ids[0])
                elif name == "commit" and attached and not frame:
                    frame = dict(state, buffer=attached)
            elif interface == "wl_keyboard" and name in ("enter", "leave"):
                state["focused"] = name == "enter" and ids[1] == surface
        return frame and state.get("focused") and dict(frame, toplevel=toplevel)

    def start_on_weston(self):
        self.start(wait=False)
        window = wait_for(self.shown, "a frame after the first configure, and the keyboard")
        # The application id is the desktop file's name: the compositor's key to the menu entry
        # and its icon.
        self.assertEqual(window["toplevel"], {
            "set_title": ['"Corvane (Offline)"'], "set_app_id": ['"corvane"'],
            "set_min_size": ["%d, %d" % CLIENT], "set_max_size": ["%d, %d" % CLIENT]})
        # Weston draws no frame around a window: Qt draws its title bar and borders into the same
        # buffer, and the window geometry covers them. That decorated window is what a user gets,
        # so it is kept, and the client area is the rectangle Qt declares opaque: 460 x 292,
        # below the title bar, inside the window geometry, inside the buffer.
        self.assertEqual([rect[2:] for rect in window.get("set_opaque_region", [])], [CLIENT])
        left, top, width, height = window["set_opaque_region"][0]
        # Without set_window_geometry the window is the whole buffer.
        x, y, w, h = window.get("set_window_geometry", [0, 0, *window["buffer"]])
        self.assertTrue(0 <= x <= left and left + width <= x + w <= window["buffer"][0] and
                        0 <= y < top and top + height <= y + h <= window["buffer"][1], window)

    def not_protocol(self):
        # The lines on stderr that are not libwayland's (each of which starts with a time).
        return [line for line in self.stderr_text().splitlines()
                if not re.match(r"\[\s*[\d.]+\] ", line)]

    def keys(self, *keys):
        self.tool("xdotool", "key", "--delay", 30, *keys, check=True)

    def test_a_name_typed_on_wayland_is_stored(self):
        # (That a stored name comes back at the next start does not depend on the windowing
        # system: test_window.py shows it.)
        self.start_on_weston()
        # Login, Exit, the user-name box: type a name, then on through the password box to Login.
        self.keys("Tab", "Tab", "a", "l", "i", "c", "e", "Tab", "Tab", "space")
        wait_for(lambda: self.stored_name() == "alice", "Login to store the typed name")
        self.keys("Tab", "space")  # from Login to Exit
        self.assertEqual(self.exit_status(), 0)
        # Nothing but the protocol on stderr: no warning from Qt's Wayland plugin.
        self.assertEqual(self.not_protocol(), [])

if __name__ == "__main__":
    unittest.main()
