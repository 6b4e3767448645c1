# SPDX-License-Identifier: MIT
"""The Windows program under wine, on a private X server: every check of `WindowChecks`, a
dial-up function that cannot be bound, and the window at twice the DPI.

Set by scripts/stages/60-windows.sh: CORVANE_WIN32_BINARY (the program), CORVANE_WIN32_HELPERS
(the folder of the stand-in RasApi32 libraries and corvane_deny_write.exe), CORVANE_WINE (the
loader: /usr/lib/wine/wine64, or wine for the 32-bit program) and WINEPREFIX (a prefix made with
`wineboot -i`, shared by the tests of a run). Each test runs its own wine server in the prefix:
the server's first program binds wine's desktop, and with it the clipboard, to the test's display.
"""

import os
import shutil
import subprocess
import time
import unittest

from Xlib import X, Xutil

from harness import (ASSETS_DIR, BANNER_RECT, CLIENT, EXIT, SCREEN, TIMEOUT, Desktop, artwork,
                     wait_for)
from test_hidpi import CONTROLS, painted_box
from test_window import WindowChecks

BINARY = os.environ.get("CORVANE_WIN32_BINARY", "")
HELPERS = os.environ.get("CORVANE_WIN32_HELPERS", "")
WINE = os.environ.get("CORVANE_WINE", "/usr/lib/wine/wine64")
WINESERVER = "/usr/lib/wine/wineserver"
PREFIX = os.environ.get("WINEPREFIX", "")
# The program's key in the user's registry, and the key of the last-user entry.
PROGRAM_KEY = r"HKCU\Software\Corvane"
SETTINGS_KEY = PROGRAM_KEY + r"\General"
# Where wine keeps the screen's DPI.
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
# What the stand-in RasApi32.dll is told to answer (see scriptedrasapi.cpp); 5 is "access denied".
DIALUP = {"failing": "fail 5", "connected": "connected", "without status": ""}


def windows_path(path):
    """A path of this machine as wine's programs see it: on drive Z:, the root."""
    return "Z:" + path


def unescape(text):
    """A string value of a .reg file, without its quotes and escapes."""
    escapes = {"n": "\n", "r": "\r", "0": "\0"}
    value, chars = [], iter(text[1:-1])
    for char in chars:
        if char == "\\":
            char = next(chars)
            char = escapes.get(char, char)
        value.append(char)
    return "".join(value)


class Win32Desktop(Desktop):
    """The Windows program under wine, with its settings in the prefix's registry."""

    # Wine's edit box has no Ctrl+A.
    SELECT_ALL = ("End", "shift+Home")
    # Wine's explorer hands a bare host on with a "/" appended.
    OPENED_URL = "http://www.corvane.example/"

    def setUp(self):
        if not (BINARY and HELPERS and PREFIX):
            self.skipTest("needs CORVANE_WIN32_BINARY, CORVANE_WIN32_HELPERS and WINEPREFIX")
        super().setUp()
        self.env.update(WINEPREFIX=PREFIX, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d")
        # A server left running would hold another display; this test's goes with the test.
        self.wine_server("-k")
        self.addCleanup(self.wine_server, "-k")
        self.wine("reg", "delete", PROGRAM_KEY, "/f")

    def windows_of_program(self):
        """The program's windows, each marked as taken by a window manager: wine withdraws a
        window only once one has set its WM_STATE, and without one waits two seconds for it."""
        found = super().windows_of_program()
        wm_state = self.x.intern_atom("WM_STATE")
        for window in found:
            if window.get_full_property(wm_state, wm_state) is None:
                window.change_property(wm_state, wm_state, 32, [Xutil.NormalState, X.NONE])
        self.x.flush()
        return found

    def wine_server(self, *args):
        subprocess.run([WINESERVER, *args], env=self.env, timeout=TIMEOUT,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def wine(self, *args, check=False):
        return subprocess.run([WINE, *args], env=self.env, timeout=TIMEOUT, check=check,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def command(self):
        return [WINE, BINARY]

    def assertLogged(self, what):
        """Every failure the program reports is also one line on its standard error."""
        self.assertIn("CV Example: " + what, self.stderr_text())

    def stored_name(self):
        """The last-user entry, or None when there is none. `reg query` prints in the OEM code
        page; `reg export` writes UTF-16."""
        exported = os.path.join(self.home, "exported-%d.reg" % time.monotonic_ns())
        if self.wine("reg", "export", SETTINGS_KEY, windows_path(exported), "/y").returncode:
            return None
        with open(exported, encoding="utf-16", newline="") as f:
            lines = f.read().split("\r\n")
        os.remove(exported)
        prefix = '"LastUser"='
        found = [line[len(prefix):] for line in lines if line.startswith(prefix)]
        return unescape(found[0]) if found else None

    def store_name(self, name):
        self.wine("reg", "add", SETTINGS_KEY, "/v", "LastUser", "/t", "REG_SZ", "/d", name, "/f",
                  check=True)

    def stage_dialup(self, state):
        """The stand-in RasApi32.dll in the prefix's system folder, where the program looks for
        it, preferred to wine's own for this test, and told how to answer."""
        system_library = os.path.join(PREFIX, "drive_c", "windows", "system32", "rasapi32.dll")
        saved = os.path.join(self.home, "rasapi32.dll")
        shutil.copyfile(system_library, saved)
        self.addCleanup(shutil.copyfile, saved, system_library)
        name = "corvane_scripted_rasapi_nostatus" if state == "without status" \
            else "corvane_scripted_rasapi"
        shutil.copyfile(os.path.join(HELPERS, name + ".dll"), system_library)
        self.env["CORVANE_RASAPI"] = DIALUP[state]
        self.env["WINEDLLOVERRIDES"] += ";rasapi32=n"
        return ()

    def stage_refused_write(self):
        """The last-user entry's key with an access list that refuses writes."""
        self.wine(os.path.join(HELPERS, "corvane_deny_write.exe"), r"Software\Corvane\General",
                  check=True)
        return ()


class Win32WindowTest(WindowChecks, Win32Desktop):
    # Besides what a person types: one character of every Unicode plane, which the program takes
    # as UTF-16 surrogate pairs, and more than the 32,767 characters an edit box takes unless told.
    NAMES = WindowChecks.NAMES + [
        "ß" + "".join(chr((plane << 16) + 0x100) for plane in range(1, 17)),
        "Zoë-0123456789" * 3000,
    ]

    def test_unbound_status_function_stops_the_start(self):
        self.start(self.stage_dialup("without status"), wait=False)
        boxes = wait_for(self.message_boxes, "the failure box")
        self.assertEqual(len(boxes), 1)
        self.assertIsNone(self.window_titled_like("Corvane ("))
        self.assertLogged("Could not find RasGetConnectStatusA in RasApi32.dll: ")
        self.dismiss(boxes[0])
        self.assertEqual(self.exit_status(), 1)

    def test_twice_the_dpi(self):
        """At 192 DPI the program scales itself: every position and size twice the layout's,
        the artwork in blocks of 2 x 2 pixels, without smoothing."""
        self.wine("reg", "add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", "192",
                  "/f", check=True)
        self.addCleanup(self.wine, "reg", "delete", DESKTOP_KEY, "/v", "LogPixels", "/f")
        window = self.start()
        size = (CLIENT[0] * 2, CLIENT[1] * 2)
        geometry = window.get_geometry()
        self.assertEqual((geometry.width, geometry.height), size)
        self.assertEqual(self.client_origin(),
                         ((SCREEN[0] - size[0]) // 2, (SCREEN[1] - size[1]) // 2))
        self.settle()
        picture, pixel = artwork(ASSETS_DIR), self.window_pixels()
        for name, rect in CONTROLS.items():
            self.assertEqual(painted_box(pixel, picture, rect, 2), tuple(v * 2 for v in rect),
                             name)
        # The banner, with the background beside it.
        wrong = [(x, y) for y in range(BANNER_RECT[3] * 2) for x in range(size[0])
                 if pixel(x, y) != picture[y // 2][x // 2]]
        self.assertEqual(wrong[:5], [])
        self.click((EXIT[0] * 2, EXIT[1] * 2))
        self.assertEqual(self.exit_status(), 0)


if __name__ == "__main__":
    unittest.main()
