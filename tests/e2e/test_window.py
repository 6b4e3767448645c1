# SPDX-License-Identifier: MIT
"""The login window as a person meets it, checked the same way for every program that shows it.

`WindowChecks` holds the checks; each program's test class mixes it with its own harness, which
says how the program is started, where it keeps the name, and how a failing dial-up listing and a
refused write are staged for it. `QtWindowTest` runs them on the Linux program.
"""

import os
import shlex
import tempfile
import unittest

from harness import (BACKGROUND_BELOW_BANNER, BANNER, BANNER_RECT, CLIENT, LOGIN, PASSWORD_BOX,
                     PASSWORD_RECT, SCREEN, TIMEOUT, USERNAME_BOX, USERNAME_RECT, QtDesktop, artwork,
                     can_use_private_mounts, eventually, private_mount_wrapper, wait_for)

ASSETS = os.environ.get("CORVANE_ASSETS", "")
PASSWORD = "pw-Secret-4711"


class WindowChecks:
    """The checks; the class they are mixed into is a `Desktop` with the staging hooks."""

    # Names a person may type, each stored by Login and shown again at the next start.
    NAMES = ["ann", "", "  Ann Lee  ", "Zoë Ångström 名前"]

    def assertOnlyArtwork(self, pixel, regions, what):
        picture = artwork(ASSETS)
        for left, top, width, height in regions:
            mismatches = [(x, y) for y in range(top, top + height)
                          for x in range(left, left + width) if pixel(x, y) != picture[y][x]]
            self.assertEqual(mismatches[:5], [], "%s differs from the artwork" % what)

    def assertCursor(self, image, shape, equal=True):
        """That the cursor's (width, height, hot spot) is `shape`, or with `equal` false that it
        is not; returns the cursor."""
        found = (image.width, image.height, image.xhot, image.yhot)
        (self.assertEqual if equal else self.assertNotEqual)(found, shape)
        return image

    def test_window_as_shown(self):
        window = self.start()
        self.assertEqual(self.title(window), "Corvane (Offline)")
        geometry = window.get_geometry()
        self.assertEqual((geometry.width, geometry.height), CLIENT)
        origin = self.client_origin()
        self.assertEqual(origin, ((SCREEN[0] - CLIENT[0]) // 2, (SCREEN[1] - CLIENT[1]) // 2))
        hints = window.get_wm_normal_hints()
        self.assertEqual((hints.min_width, hints.min_height, hints.max_width, hints.max_height),
                         CLIENT * 2)
        # The program's icon, and a title bar whose window manager offers to move and close
        # the window but not to minimise or maximise it (_MOTIF_WM_HINTS: flags, functions,
        # decorations; a minimise and maximise function are 8 and 16, their buttons 32 and 64).
        self.assertTrue(window.get_full_property(self.x.intern_atom("_NET_WM_ICON"), 0))
        hints = window.get_full_property(self.x.intern_atom("_MOTIF_WM_HINTS"), 0).value
        self.assertEqual((hints[1] & (8 | 16), hints[2] & (32 | 64)), (0, 0))
        self.assertEqual(self.box_text(USERNAME_BOX), "Username")

        # The pictures: the banner with the background beside it, the captions left of the
        # boxes, and below the Exit button the background alone, its last 17 rows cut off.
        eventually(lambda: self.assertOnlyArtwork(
            self.window_pixels(), [(0, 0, 460, 135), (0, 135, 236, 81), (0, 289, 460, 3)],
            "the window"))

        # The hand over the banner, the arrow elsewhere.
        def cursor_at(point):
            self.move_pointer(point)
            return self.x.xfixes_get_cursor_image(self.window)

        hand = eventually(lambda: self.assertCursor(cursor_at(BANNER), (32, 32, 12, 1)))
        arrow = eventually(lambda: self.assertCursor(cursor_at(BACKGROUND_BELOW_BANNER),
                                                     (hand.width, hand.height, 12, 1), False))
        self.assertNotEqual(arrow.cursor_serial, hand.cursor_serial)

        # The password box shows one "*" for each character: its inside looks as the user-name
        # box's does with as many stars typed into it.
        self.replace_text(PASSWORD_BOX, PASSWORD)
        self.replace_text(USERNAME_BOX, "*" * len(PASSWORD))
        # The focus on the Exit button, so that no text cursor blinks in either box.
        self.key("shift+Tab")

        def inside(pixel, rect):
            return [[pixel(x, y) for x in range(rect[0] + 3, rect[0] + rect[2] - 3)]
                    for y in range(rect[1] + 3, rect[1] + rect[3] - 3)]

        def same_inside():
            pixel = self.window_pixels()
            self.assertEqual(inside(pixel, PASSWORD_RECT), inside(pixel, USERNAME_RECT))
            self.assertGreater(len({p for row in inside(pixel, PASSWORD_RECT) for p in row}), 1)

        eventually(same_inside)
        self.exit_program()
        self.assertIsNone(self.stored_name())

    def test_names_come_back_after_a_restart(self):
        for name in self.NAMES:
            with self.subTest(name=name[:40]):
                self.start()
                self.replace_text(USERNAME_BOX, name)
                self.replace_text(PASSWORD_BOX, PASSWORD)
                self.click(LOGIN)
                wait_for(lambda: self.stored_name() == name, "the name to be stored")
                self.exit_program()
                self.start()
                # A long name takes a while to copy on a busy machine.
                self.assertEqual(self.box_text(USERNAME_BOX, TIMEOUT if name else 3), name)
                self.exit_program()
        self.assertEqual(self.stderr_text(), "")

    def test_keyboard(self):
        self.start()
        # Return and Escape in the boxes press nothing.
        for box in (USERNAME_BOX, PASSWORD_BOX):
            self.click(box)
            self.key("Return", "KP_Enter", "Escape")
        self.settle()
        self.assertIsNone(self.process.poll())
        self.assertIsNone(self.stored_name())
        self.assertEqual(self.opener_starts(), [])
        # The focus starts on Login, where Space presses it.
        self.exit_program()
        self.start()
        self.key("space")
        wait_for(lambda: self.stored_name() == "Username", "Login by keyboard")
        # Login, Exit, user name, password, back to Login, where Return presses it.
        self.key("Tab", "Tab", *self.SELECT_ALL, "k", "Tab", "x", "y", "Tab", "Return")
        wait_for(lambda: self.stored_name() == "k", "Login by Return")
        # Shift+Tab goes back to the password box, one more to the user-name box, whose text a
        # Tab into it selects.
        self.key("shift+Tab", "shift+Tab", "z", "Tab", "Tab", "space")
        wait_for(lambda: self.stored_name() == "z", "the tab order backwards")
        # One Tab from Login reaches Exit.
        self.key("Tab", "space")
        self.assertEqual(self.exit_status(), 0)

    def test_banner_opens_the_site_at_each_click_and_nothing_else_does(self):
        window = self.start()
        self.click(BACKGROUND_BELOW_BANNER)
        self.click((BANNER_RECT[2] + 2, 60))
        # A click is a press and a release of the left button, both on the banner.
        self.click(BANNER, button=3)
        self.drag(BANNER, BACKGROUND_BELOW_BANNER)
        self.drag(BACKGROUND_BELOW_BANNER, BANNER)
        self.settle()
        self.assertEqual(self.opener_starts(), [])
        self.click(BANNER)
        wait_for(lambda: len(self.opener_starts()) == 1, "the first start of the browser")
        self.click(BANNER)
        wait_for(lambda: len(self.opener_starts()) == 2, "the second start of the browser")
        for start in self.opener_starts():
            self.assertEqual(start[:2], ["argc=1", "arg=" + self.OPENED_URL])
        self.assertIsNone(self.process.poll())
        self.assertEqual([w.id for w in self.windows_of_program()], [window.id])
        # The close request ends the program too, writing nothing.
        self.send_close_request(window)
        self.assertEqual(self.exit_status(), 0)
        self.assertIsNone(self.stored_name())

    def test_failed_listing_says_error_before_the_window(self):
        self.start(self.stage_dialup("failing"), wait=False)
        boxes = wait_for(self.message_boxes, "the ERROR box")
        self.assertEqual(len(boxes), 1)
        self.assertIsNone(self.window_titled_like("Corvane ("))
        self.assertLogged("Could not list the dial-up connections (error ")
        self.dismiss(boxes[0])
        self.assertEqual(self.title(self.wait_for_login_window()), "Corvane (Offline)")
        self.assertEqual(self.message_boxes(), [])
        self.exit_program()

    def test_only_the_first_listed_link_decides(self):
        for state, title in [("connected", "Corvane (Online)"),
                             ("second connected", "Corvane (Offline)")]:
            with self.subTest(state):
                self.assertEqual(self.title(self.start(self.stage_dialup(state))), title)
                self.assertEqual(self.message_boxes(), [])
                self.exit_program()

    def test_refused_write_is_reported_and_changes_nothing(self):
        self.store_name("old name")
        self.start(self.stage_refused_write())
        self.assertEqual(self.box_text(USERNAME_BOX), "old name")
        self.replace_text(USERNAME_BOX, "new name")
        self.click(LOGIN)
        boxes = wait_for(self.message_boxes, "the failure box")
        self.assertEqual(len(boxes), 1)
        self.assertLogged("Could not write ")
        self.dismiss(boxes[0])
        self.assertIsNone(self.process.poll())
        self.assertEqual(self.box_text(USERNAME_BOX), "new name")
        self.assertEqual(self.stored_name(), "old name")
        self.exit_program()


class QtWindowTest(WindowChecks, QtDesktop):
    # Besides what a person types: a megabyte pasted, one character of every Unicode plane,
    # what the file format treats specially, and line breaks.
    NAMES = WindowChecks.NAMES + [
        ("x" + "Zoë =;#[]\\\", " + "abcdefghijklmnopqrstuvwxyz0123456789" * 2) * 20000,
        "ß" + "".join(chr((plane << 16) + 0x100) for plane in range(1, 17)),
        "  @a\tb=c;d#e[f]g\\h\"i,j,  ",
        "one\ntwo\rthree",
    ]

    def test_names_come_back_after_a_restart(self):
        super().test_names_come_back_after_a_restart()
        # The file reads as a person expects, and holds nothing of the password.
        with open(self.settings_file, "rb") as f:
            content = f.read()
        self.assertTrue(content.startswith(b"[General]\nLastUser="), content[:40])
        self.assertNotIn(PASSWORD.encode(), content)

    def test_banner_opens_the_site_at_each_click_and_nothing_else_does(self):
        super().test_banner_opens_the_site_at_each_click_and_nothing_else_does()
        # Without the desktop's tokens, so that the browser cannot take the focus.
        for start in self.opener_starts():
            self.assertIn("DESKTOP_STARTUP_ID=unset", start)
            self.assertIn("XDG_ACTIVATION_TOKEN=unset", start)

    def stage_dialup(self, state):
        """A wrapper that stands an interface list in for /sys/class/net."""
        if not can_use_private_mounts():
            self.skipTest("needs root and a private mount namespace to replace /sys/class/net")
        if state == "failing":
            # An empty file system over /sys/class: the interface list is missing.
            return private_mount_wrapper("mount -t tmpfs none /sys/class")
        tree = tempfile.mkdtemp(dir=self.home)
        # (name, type, ifindex, flags): the first PPP link by index decides; 0x1 is up.
        up, down = ("0x1091", "0x1090") if state == "connected" else ("0x1090", "0x1091")
        for name, kind, index, flags in [("eth0", 1, 2, "0x1003"), ("ppp1", 512, 7, down),
                                         ("ppp0", 512, 5, up)]:
            os.mkdir(os.path.join(tree, name))
            for file, value in {"type": kind, "ifindex": index, "flags": flags,
                                "carrier": 1}.items():
                with open(os.path.join(tree, name, file), "w") as f:
                    f.write("%s\n" % value)
        return private_mount_wrapper("mount --bind %s /sys/class/net" % shlex.quote(tree))

    def stage_refused_write(self):
        folder = os.path.dirname(self.settings_file)
        if can_use_private_mounts():
            # Root writes through file modes, so the folder is made read-only by a mount.
            quoted = shlex.quote(folder)
            return private_mount_wrapper("mount --bind %s %s && mount -o remount,bind,ro %s %s"
                                         % (quoted, quoted, quoted, quoted))
        if os.geteuid() == 0:
            self.skipTest("root without private mounts cannot make a folder read-only")
        os.chmod(folder, 0o500)
        self.addCleanup(os.chmod, folder, 0o700)
        return ()


if __name__ == "__main__":
    unittest.main()
