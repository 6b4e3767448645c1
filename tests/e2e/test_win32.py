# SPDX-License-Identifier: MIT
# The Windows program under wine, on a private X server: every check of `WindowChecks`, a dial-up
# function that cannot be bound, and the window at twice the DPI.
#
# Set by scripts/stages/60-windows.sh: CORVANE_WIN32_BINARY (the program), CORVANE_WIN32_HELPERS
# (the folder of the stand-ins and helpers of tests/platform/windows), CORVANE_WINE (the
# loader: /usr/lib/wine/wine64, or wine for the 32-bit program) and WINEPREFIX (a prefix made with
# `wineboot -i`, shared by the tests of a run). Each test runs its own wine server in the prefix:
# the server's first program binds wine's desktop, and with it the clipboard, to the test's display.

import glob
import json
import os
import pathlib
import re
import shutil
import struct
import subprocess
import tempfile
import time
import unittest

from Xlib import X, Xutil

from harness import (ASSETS_DIR, BANNER, BANNER_RECT, CLIENT, EXIT_RECT, LOGIN, LOGIN_RECT,
                     PASSWORD_BOX, PASSWORD_RECT, SCREEN, TIMEOUT, USERNAME_BOX, USERNAME_RECT,
                     Desktop, eventually, wait_for)
from test_accessibility import walk
from test_window import PASSWORD, WindowChecks

BINARY = os.environ.get("CORVANE_WIN32_BINARY", "")
HELPERS = os.environ.get("CORVANE_WIN32_HELPERS", "")
WINE = os.environ.get("CORVANE_WINE", "/usr/lib/wine/wine64")
WINESERVER = "/usr/lib/wine/wineserver"
PREFIX = os.environ.get("WINEPREFIX", "")
# The prefix's Windows folder, C:\windows, and the records of its stand-in explorer.exe's starts.
WINDOWS_FOLDER = os.path.join(PREFIX, "drive_c", "windows")
EXPLORER_STARTS = os.path.join(WINDOWS_FOLDER, "explorer.exe.start-*")
# The program's key in the user's registry, and the key of the last-user entry.
PROGRAM_KEY = r"HKCU\Software\Corvane"
SETTINGS_KEY = PROGRAM_KEY + r"\General"
EXPORTED_SETTINGS_KEY = SETTINGS_KEY.replace("HKCU", "HKEY_CURRENT_USER")
# The DLLs the program loads at run time, each of which a planted copy beside it could stand in for.
LOADED_DLLS = ("oleacc", "oleaut32", "rasapi32")
# Where wine keeps the screen's DPI.
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
# MSAA's roles of a text box and a link, and its state bit of what is not shown (<oleacc.h>).
ROLE_TEXT, ROLE_LINK, STATE_INVISIBLE = 42, 30, 0x8000
# What the stand-in RasApi32.dll is told to answer (see scriptedrasapi.cpp); 5 is "access denied".
DIALUP = {"failing": "fail 5", "connected": "connected", "second connected": "second connected",
          "without status": ""}


def windows_path(path):
    # A path of this machine as wine's programs see it: on drive Z:, the root.
    return "Z:" + path


def system_folder():
    # The prefix's system folder as the program sees it: a 32-bit program (machine 0x14C in its
    # PE header, whose place is at 0x3C) in a 64-bit prefix finds its "system32" in syswow64.
    with open(BINARY, "rb") as f:
        head = f.read(4096)
    machine = struct.unpack_from("<H", head, struct.unpack_from("<I", head, 0x3C)[0] + 4)[0]
    wow = machine == 0x14C and os.path.isdir(os.path.join(WINDOWS_FOLDER, "syswow64"))
    return "syswow64" if wow else "system32"


def scaled(rect, dpi):
    # A rectangle of the layout at `dpi`, its edges rounded as the program's MulDiv rounds them.
    def edge(v):
        return (2 * v * dpi + 96) // 192
    x, y, width, height = rect
    return [edge(x), edge(y), edge(x + width) - edge(x), edge(y + height) - edge(y)]


class Win32Desktop(Desktop):
    # The Windows program under wine, with its settings in the prefix's registry.

    # Wine's edit box has no Ctrl+A.
    SELECT_ALL = ("End", "shift+Home")

    def setUp(self):
        self.assertTrue(BINARY and HELPERS and PREFIX,
                        "set CORVANE_WIN32_BINARY, CORVANE_WIN32_HELPERS and WINEPREFIX")
        super().setUp()
        self.env.update(WINEPREFIX=PREFIX, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d")
        # A server left running would hold another display; this test's goes with the test.
        self.wine_server("-k")
        self.addCleanup(self.wine_server, "-k")
        self.wine("reg", "delete", PROGRAM_KEY, "/f")
        # The browser is the program's start of the Windows folder's explorer.exe, the test's
        # stand-in: wine's own would hand the address on to xdg-open through a chain of programs.
        self.stage_windows_explorer(os.path.join(HELPERS, "explorer.exe"))

    def windows_of_program(self):
        # The program's windows, each marked as taken by a window manager: wine withdraws a window
        # only once one has set its WM_STATE, and without one waits two seconds for it.
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
        # Runs a program under wine; with `check`, its failure fails the test with what it said. Its
        # output goes to files: a wine server that it starts keeps open what it inherits, and a pipe
        # would not close until that server ends.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            result = subprocess.run([WINE, *args], env=self.env, timeout=TIMEOUT, stdout=out,
                                    stderr=err)
            out.seek(0)
            err.seek(0)
            result.stdout, said = out.read(), err.read()
        if check and result.returncode:
            self.fail("%s failed (%d): %s" % (" ".join(args), result.returncode,
                                              (result.stdout + said).decode("latin-1")))
        return result

    def command(self):
        return [WINE, BINARY]

    def assertLogged(self, what):
        # Every failure the program reports is also one line on its standard error.
        self.assertIn("CV Example: " + what, self.stderr_text())

    def registry(self):
        # All of HKEY_CURRENT_USER as `reg export` writes it (UTF-16: `reg query` would print in the
        # OEM code page), its continued lines joined; a failed export fails the test, so that it
        # never reads as a missing entry.
        exported = os.path.join(self.home, "exported-%d.reg" % time.monotonic_ns())
        self.wine("reg", "export", "HKCU", windows_path(exported), "/y", check=True)
        with open(exported, encoding="utf-16", newline="") as f:
            text = f.read()
        os.remove(exported)
        return text.replace("\\\r\n  ", "")

    def stored_name(self):
        # The last-user entry, or None when there is none.
        return self.inspect("value", SETTINGS_KEY[len("HKCU\\"):], "LastUser")

    def everything_stored(self):
        # The user's registry and the test's home: the export's text, and the bytes its binary
        # values ("hex:70,00,...") hold.
        text = self.registry()
        binary = b"".join(bytes.fromhex(value.replace(",", ""))
                          for value in re.findall(r"hex(?:\([0-9a-f]+\))?:([0-9a-f,]+)", text))
        return text.encode() + binary + super().everything_stored()

    def store_name(self, name):
        self.wine("reg", "add", SETTINGS_KEY, "/v", "LastUser", "/t", "REG_SZ", "/d", name, "/f",
                  check=True)

    def replace_in_prefix(self, path, source=None):
        # Puts the file `source` in place of the prefix's file `path` (under drive_c\windows), or
        # with None wine's own again, as after the test.
        path = os.path.join(WINDOWS_FOLDER, path)
        saved = os.path.join(self.home, "saved-" + os.path.basename(path))
        if not os.path.exists(saved):
            shutil.copyfile(path, saved)
            self.addCleanup(self.replace_in_prefix, path)
        # A new file, not new bytes in the old one, from which a program may still run.
        shutil.copyfile(source or saved, path + ".new")
        os.replace(path + ".new", path)

    def stage_windows_explorer(self, source=None):
        # `source` as the Windows folder's explorer.exe, which the banner starts, or with None
        # wine's own again; wine's desktop runs system32's copy, which stays.
        self.replace_in_prefix("explorer.exe", source)
        self.addCleanup(lambda: [os.remove(start) for start in glob.glob(EXPLORER_STARTS)])

    # An explorer.exe that cannot be started, by test_box_when_the_browser_cannot_be_started: a
    # picture in its place, or none at all. Each failure names the program tried.
    UNSTARTABLE = {
        "a picture": (os.path.join(ASSETS_DIR, "banner.bmp"),
                      r"Bad EXE format for C:\windows\explorer.exe. (error 193)"),
        "none": (None, r"C:\windows\explorer.exe: File not found. (error 2)"),
    }
    unstartable = "a picture"

    def stage_unstartable_browser(self):
        # Returns the failure reported.
        source, failure = self.UNSTARTABLE[self.unstartable]
        if source:
            self.stage_windows_explorer(source)
        else:
            # The stand-in of setUp is put back after the test.
            os.remove(os.path.join(WINDOWS_FOLDER, "explorer.exe"))
        return "Could not open http://www.corvane.example: " + failure

    def settled_opener_starts(self):
        # Once each copy of the stand-in that runs (they stay a while) has written its record.
        running = int(self.inspect("running", r"C:\windows\explorer.exe"))
        wait_for(lambda: len(self.explorer_starts()) >= running,
                 "a record of each explorer.exe started")
        return self.opener_starts()

    def explorer_starts(self, folder=WINDOWS_FOLDER):
        # How the stand-in explorer.exe in `folder` was started, one dict for each start.
        return [dict(line.split("=", 1) for line in
                     pathlib.Path(name).read_text(encoding="utf-8-sig").splitlines())
                for name in sorted(glob.glob(os.path.join(folder, "explorer.exe.start-*[0-9]")))]

    def opener_starts(self):
        # The starts of the browser recorded so far, as the stand-in xdg-open writes them down:
        # the starts of the Windows folder's stand-in explorer.exe, which only the program starts.
        return [["argc=%d" % (len(words) - 1)] + ["arg=" + word for word in words[1:]]
                for words in (start["command"].split() for start in self.explorer_starts())]

    def stage_dialup(self, state):
        # The stand-in RasApi32.dll in the prefix's system folder, where the program looks for it,
        # preferred to wine's own for this test, and told how to answer; or, "missing", no
        # RasApi32.dll at all.
        if state == "missing":
            self.env["WINEDLLOVERRIDES"] += ";rasapi32=d"
            return ()
        name = "corvane_scripted_rasapi_nostatus" if state == "without status" \
            else "corvane_scripted_rasapi"
        self.replace_in_prefix(os.path.join(system_folder(), "rasapi32.dll"),
                               os.path.join(HELPERS, name + ".dll"))
        self.env["CORVANE_RASAPI"] = DIALUP[state]
        self.env["WINEDLLOVERRIDES"] += ";rasapi32=n"
        return ()

    def stage_refused_write(self):
        # The last-user entry's key with an access list that refuses writes. Returns the failure
        # reported.
        self.registry_helper("deny-write", SETTINGS_KEY[len("HKCU\\"):])
        return "Could not write %s: Access denied. (error 5)" % EXPORTED_SETTINGS_KEY

    # A dial-up function that cannot be bound, by test_box_when_the_start_fails: no RasApi32.dll
    # to be found, or one that lacks RasGetConnectStatusA.
    UNBOUND = {"missing": "Could not load RasApi32.dll: Module not found. (error 126)",
               "without status": "Could not find RasGetConnectStatusA in RasApi32.dll: Procedure "
                                 "not found. (error 127)"}
    unbound = "missing"

    def stage_failed_start(self):
        # Returns no other command, and the failure reported.
        self.stage_dialup(self.unbound)
        return None, self.UNBOUND[self.unbound]

    # What a screen reader and a person read: corvane_inspect.exe

    def inspect(self, *args):
        # The inspector's answer; its failure fails the test with its reason.
        return json.loads(self.wine(os.path.join(HELPERS, "corvane_inspect.exe"), *map(str, args),
                                    check=True).stdout)

    def registry_helper(self, *args):
        self.wine(os.path.join(HELPERS, "corvane_registry.exe"), *args, check=True)

    def box_contents(self, box):
        boxes = self.inspect("boxes")
        self.assertEqual(len(boxes), 1, boxes)
        return dict(paragraphs=boxes[0]["text"].split("\n\n"), buttons=boxes[0]["buttons"],
                    icon=boxes[0]["icon"], owner=boxes[0]["owner"])


class Win32WindowTest(WindowChecks, Win32Desktop):
    # Wine's words for the window's styles: move and close; a border, and a title bar with its
    # menu.
    MOTIF_HINTS = (1 | 2, 4 | 32, 2 | 8 | 16)
    # Besides what a person types: one character of every Unicode plane, which the program takes
    # as UTF-16 surrogate pairs, and more than the 32,767 characters an edit box takes unless told.
    NAMES = WindowChecks.NAMES + [
        "ß" + "".join(chr((plane << 16) + 0x100) for plane in range(1, 17)),
        "Zoë-0123456789" * 3000,
    ]

    def test_box_when_the_start_fails(self):
        for self.unbound in self.UNBOUND:
            with self.subTest(self.unbound):
                super().test_box_when_the_start_fails()

    def test_what_lies_beside_the_program_or_in_its_folder_is_never_taken_for_the_systems(self):
        # A copy of the program with a DLL planted beside it under the name of each DLL it loads,
        # and an explorer.exe beside it, started in a folder that holds another explorer.exe.
        # Wine, told to, looks for those DLLs beside the program first, as Windows does for every
        # DLL that is not a KnownDLL. The planted DLL and each explorer.exe write down their starts.
        beside, current = os.path.join(self.home, "beside"), os.path.join(self.home, "current")
        for folder in (beside, current):
            os.mkdir(folder)
            shutil.copy(os.path.join(HELPERS, "explorer.exe"), folder)
        program = shutil.copy(BINARY, beside)
        for name in LOADED_DLLS:
            shutil.copy(os.path.join(HELPERS, "corvane_planted.dll"),
                        os.path.join(beside, name + ".dll"))
        self.env["CORVANE_PLANTED_LOG"] = windows_path(os.path.join(self.home, "planted.log"))
        self.env["WINEDLLOVERRIDES"] += "".join(";%s=n,b" % name for name in LOADED_DLLS)

        def loads():
            return pathlib.Path(self.home, "planted.log").read_text(encoding="utf-8-sig") \
                if os.path.exists(os.path.join(self.home, "planted.log")) else ""

        # Before its window, and while a screen reader reads it: nothing planted is loaded.
        self.start(["env", "-C", current], command=[WINE, program], wait=False)
        wait_for(lambda: loads() or self.window_titled_like("Corvane ("), "the login window")
        self.assertEqual(loads(), "")
        self.wait_for_login_window()
        self.inspect("tree", self.title(self.window))
        self.click(BANNER)
        folders = (WINDOWS_FOLDER, beside, current)
        wait_for(lambda: any(map(self.explorer_starts, folders)), "the start of an explorer")
        # The program did not wait for it: the window still answers. Then, one start in all.
        self.assertEqual(self.box_text(USERNAME_BOX), "Username")
        self.assertEqual([len(self.explorer_starts(f)) for f in folders], [1, 0, 0])
        # The command, shown without being activated (style 4, STARTF_USESHOWWINDOW is 1).
        started = self.explorer_starts()[0]
        self.assertTrue(started["command"].endswith("explorer http://www.corvane.example"), started)
        self.assertEqual((started["show"], int(started["flags"]) & 1), ("4", 1))
        self.exit_program()
        self.assertEqual(loads(), "")
        # Whereas a program beside them that loads those DLLs by their bare names gets each.
        probe = shutil.copy(os.path.join(HELPERS, "corvane_inspect.exe"), beside)
        for name in LOADED_DLLS:
            self.wine(probe, "load", name + ".dll", check=True)
        self.assertEqual({line.rsplit("\\", 1)[1].lower() for line in loads().splitlines()},
                         {name + ".dll" for name in LOADED_DLLS})

    def test_values_that_are_no_name_read_as_none(self):
        # A number, and a string of 40 MiB, which is never read: the box shows "Username".
        for staged in (lambda: self.wine("reg", "add", SETTINGS_KEY, "/v", "LastUser", "/t",
                                         "REG_DWORD", "/d", "65", "/f", check=True),
                       lambda: self.registry_helper("large", SETTINGS_KEY[len("HKCU\\"):],
                                                    "LastUser", "40")):
            with self.subTest():
                staged()
                self.start()
                self.assertEqual(self.box_text(USERNAME_BOX), "Username")
                self.exit_program()

    def test_box_when_the_browser_cannot_be_started(self):
        for self.unstartable in self.UNSTARTABLE:
            with self.subTest(self.unstartable):
                super().test_box_when_the_browser_cannot_be_started()

    def test_another_program_learns_nothing_of_the_password(self):
        # Typed, selected, and Shift+Delete pressed (which would cut it); then another program
        # asks the box for its text, takes its mask away, and sends it copy and cut.
        self.start()
        self.replace_text(PASSWORD_BOX, PASSWORD)
        self.set_clipboard("held before")
        self.click(PASSWORD_BOX)
        self.key(*self.SELECT_ALL, "shift+Delete")
        self.assertEqual(self.inspect("password", self.title(self.window)),
                         {"text": "", "length": 0, "line": "", "mask": "*"})
        # Login, clicked after all that, stores the name: the program had handled it by then.
        self.click(LOGIN)
        wait_for(lambda: self.stored_name() == "Username", "Login, after the requests")
        self.assertEqual(self.clipboard(), "held before")
        self.exit_program()

    def test_twice_the_scale(self):
        # Started at 192 DPI, as every window is checked; then started at 96 DPI and told by
        # WM_DPICHANGED that its DPI changed, as Windows does when the window moves to a monitor
        # of another DPI, with a window rectangle for it: here another program sends it, centred
        # on the screen. At 192 DPI the window must then look exactly as the one started at that
        # DPI: layout, fonts and artwork.
        def picture():
            # With the pointer outside, where no button shows it hovering.
            self.xdotool("mousemove", 0, 0)
            geometry = self.window.get_geometry()
            return self.window.get_image(0, 0, geometry.width, geometry.height, X.ZPixmap,
                                         0xFFFFFFFF).data

        self.assertShownAt(self.start_at_twice_the_scale(), 2)
        started_at_192 = picture()
        self.exit_program(2)
        self.wine("reg", "delete", DESKTOP_KEY, "/v", "LogPixels", "/f", check=True)
        window = self.start()
        # First a message without DPI or rectangle, as another program could send it: nothing
        # changes.
        for dpi in (0, 144, 192):
            with self.subTest(dpi=dpi):
                width, height = (scaled((0, 0) + CLIENT, dpi or 96))[2:]
                left, top = (SCREEN[0] - width) // 2, (SCREEN[1] - height) // 2
                self.assertEqual(
                    self.inspect("dpi", self.title(window), dpi, left, top, left + width,
                                 top + height),
                    {"client": [left, top, width, height],
                     "controls": [scaled(rect, dpi or 96) for rect in
                                  (LOGIN_RECT, EXIT_RECT, USERNAME_RECT, PASSWORD_RECT)]})
        eventually(lambda: self.assertTrue(picture() == started_at_192, "the pixels differ"))
        self.exit_program(2)

    def start_at_twice_the_scale(self):
        # At 192 DPI, where the program scales itself.
        self.wine("reg", "add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", "192",
                  "/f", check=True)
        self.addCleanup(self.wine, "reg", "delete", DESKTOP_KEY, "/v", "LogPixels", "/f")
        return self.start()

    # The screen reader's view, read through corvane_inspect.exe.

    def test_screen_reader_names_every_control_and_never_tells_the_password(self):
        self.start()
        self.replace_text(PASSWORD_BOX, PASSWORD)
        tree = self.inspect("tree", self.title(self.window))
        # In the order a reader goes through them, the hidden labels left out.
        shown = [node for node in walk(tree) if not node["state"] & STATE_INVISIBLE]
        self.assertEqual([node["name"] for node in shown],
                         ["Corvane (Offline)", "Login", "Exit", "Username", "Password",
                          "Corvane web site"])
        username, password, banner = shown[3:]
        self.assertEqual((username["role"], password["role"], banner["role"]),
                         (ROLE_TEXT, ROLE_TEXT, ROLE_LINK))
        origin = self.client_origin()
        self.assertEqual((banner["description"], banner["defaultAction"], banner["location"]),
                         ("Opens http://www.corvane.example in the web browser", "Jump",
                          [origin[0], origin[1], BANNER_RECT[2], BANNER_RECT[3]]))
        self.assertEqual(password["value"], "denied")
        pieces = {PASSWORD[i:i + 3] for i in range(len(PASSWORD) - 2)}
        told = [text for node in walk(tree) for text in node.values() if isinstance(text, str)]
        self.assertEqual([t for t in told if any(piece in t for piece in pieces)], [])
        # The banner's action opens the site as a click does, and only once: counted after a Login,
        # which the program handles after the action it was posted.
        self.inspect("do", self.title(self.window), "Corvane web site")
        self.click(LOGIN)
        wait_for(lambda: self.stored_name() == "Username", "Login, after the action")
        self.assertEqual(self.settled_opener_starts(), [["argc=1", "arg=" + self.OPENED_URL]])
        self.exit_program()


def bitness_dependent():
    # What depends on the program's bitness: the dial-up records and their binding, and the DLLs
    # loaded at run time. The second architecture runs only these where the first runs all.
    return unittest.TestSuite(Win32WindowTest(name) for name in (
        "test_only_the_first_listed_link_decides", "test_box_when_the_dialup_list_cannot_be_read",
        "test_box_when_the_start_fails",
        "test_what_lies_beside_the_program_or_in_its_folder_is_never_taken_for_the_systems"))


class ExecutableTest(unittest.TestCase):
    # The program's file as Windows' Explorer shows it: its version record and its icon group, read
    # from the file's bytes, for every build, whether or not it can run here.

    def test_version_record_and_icon_group(self):
        with open(BINARY, "rb") as f:
            data = f.read()
        # The fixed part: its signature, then the file and product versions, 0.0.0.1.
        fixed = data.index(struct.pack("<I", 0xFEEF04BD))
        self.assertEqual(struct.unpack_from("<4I", data, fixed + 8), (0, 1, 0, 1))
        # The strings, UTF-16 on 32-bit boundaries: each key, its padding, its value.
        text = data.decode("utf-16-le", errors="replace")
        for key, value in [("CompanyName", "na"), ("ProductName", "Corvane"),
                           ("FileVersion", "0.00.0001"), ("ProductVersion", "0.00.0001"),
                           ("InternalName", "CV Example"), ("OriginalFilename", "CV Example.exe")]:
            self.assertTrue(re.search("%s\\x00\\x00?%s\\x00" % (key, re.escape(value)), text),
                            "%s is not %r" % (key, value))
        self.assertTrue(re.search("040904B0\\x00", text), "no block 040904B0")
        self.assertTrue(re.search("Translation\\x00\\x00?\\u0409\\u04b0", text),
                        "no translation 0409 04B0")
        # Icon group 1: reserved, type 1, three images: 32 x 32 in 2 and in 16 colours, and
        # 16 x 16 in 16 colours (width, height, colours, reserved, planes, bits).
        group = data.index(b"\x00\x00\x01\x00\x03\x00\x20\x20\x02\x00")
        self.assertEqual([tuple(data[group + 6 + 14 * i:group + 6 + 14 * i + 3])
                          for i in range(3)], [(32, 32, 2), (32, 32, 16), (16, 16, 16)])


if __name__ == "__main__":
    unittest.main()
