# SPDX-License-Identifier: MIT
"""Login, Exit, the close request and the banner, driven with the keyboard and the mouse."""

import os
import shlex
import unittest

from harness import (BACKGROUND_BELOW_BANNER, BANNER, EXIT, LOGIN, PASSWORD_BOX, USERNAME_BOX,
                     CorvaneTestCase, can_use_private_mounts, root_wrapper, wait_for)


class LoginAndExitTest(CorvaneTestCase):
    def login_as(self, name):
        self.replace_text(USERNAME_BOX, name)
        self.replace_text(PASSWORD_BOX, "pass word 99")
        self.click(LOGIN)
        return wait_for(self.stored_file, "the settings file")

    def test_name_survives_a_restart(self):
        for name in ["ann", "", "  Ann Lee  "]:
            with self.subTest(name=name):
                self.start()
                stored = self.login_as(name)
                self.assertNotIn(b"pass word", stored)
                self.click(EXIT)
                self.assertEqual(self.exit_status(), 0)
                self.start()
                self.assertEqual(self.box_text(USERNAME_BOX), name)
                self.click(EXIT)
                self.assertEqual(self.exit_status(), 0)
                os.remove(self.settings_file)
        self.assertEqual(self.stderr_text(), "")

    def test_file_reads_as_a_person_expects(self):
        self.start()
        self.assertEqual(self.login_as("ann"), b"[General]\nLastUser=ann\n")
        os.remove(self.settings_file)
        # Each Login writes again.
        self.click(LOGIN)
        self.assertEqual(wait_for(self.stored_file, "the second write"),
                         b"[General]\nLastUser=ann\n")

    def test_exit_and_close_request_end_the_program_and_write_nothing(self):
        for how in ["Exit button", "close request"]:
            with self.subTest(how=how):
                window = self.start()
                self.replace_text(USERNAME_BOX, "never saved")
                if how == "Exit button":
                    self.click(EXIT)
                else:
                    self.send_close_request(window)
                self.assertEqual(self.exit_status(), 0)
                self.assertIsNone(self.stored_file())

    def test_keyboard_focus_starts_on_login_and_tabs_in_order(self):
        self.start()
        # Space presses the focused button: Login, which stores the box's text.
        self.key("space")
        self.assertEqual(wait_for(self.stored_file, "Login by keyboard"),
                         b"[General]\nLastUser=Username\n")
        # Login, Exit, user name, password, back to Login.
        self.key("Tab", "Tab", "ctrl+a", "k", "Tab", "x", "y", "Tab", "Return")
        self.settle()
        self.assertEqual(self.stored_file(), b"[General]\nLastUser=k\n")
        # One Tab from Login reaches Exit.
        self.key("Tab", "space")
        self.assertEqual(self.exit_status(), 0)

    def test_return_and_escape_in_the_boxes_do_nothing(self):
        window = self.start()
        for box in (USERNAME_BOX, PASSWORD_BOX):
            self.click(box)
            self.key("Return", "KP_Enter", "Escape")
        self.settle()
        self.assertIsNone(self.process.poll())
        self.assertIsNone(self.stored_file())
        self.assertEqual(self.opener_starts(), [])
        self.assertEqual([w.id for w in self.windows_of_program()], [window.id])


class BannerTest(CorvaneTestCase):
    def test_banner_click_opens_the_site_each_time_and_the_background_does_not(self):
        window = self.start()
        self.click(BACKGROUND_BELOW_BANNER)
        self.settle()
        self.assertEqual(self.opener_starts(), [])

        self.click(BANNER)
        wait_for(lambda: len(self.opener_starts()) == 1, "the first start of the browser")
        self.click(BANNER)
        starts = wait_for(lambda: len(self.opener_starts()) == 2 and self.opener_starts(),
                          "the second start of the browser")
        for start in starts:
            self.assertEqual(start, ["argc=1", "arg=http://www.corvane.example",
                                     "DESKTOP_STARTUP_ID=unset", "XDG_ACTIVATION_TOKEN=unset"])
        self.assertIsNone(self.process.poll())
        self.assertEqual([w.id for w in self.windows_of_program()], [window.id])

    def test_missing_browser_opener_is_reported_and_the_window_stays(self):
        self.env["PATH"] = os.path.join(self.home, "nothing-here")
        self.start()
        self.click(BANNER)
        boxes = wait_for(self.message_boxes, "the failure box")
        self.assertEqual(self.title(boxes[0]), "Corvane")
        self.assertIn("corvane: Could not open http://www.corvane.example: "
                      "xdg-open was not found on PATH", self.stderr_text())
        self.assertIsNone(self.process.poll())


class RefusedWriteTest(CorvaneTestCase):
    def test_refused_write_is_reported_and_leaves_the_file_as_it_was(self):
        folder = os.path.dirname(self.settings_file)
        os.makedirs(folder)
        before = b"[General]\nLastUser=old name\nOther=kept\n"
        with open(self.settings_file, "wb") as f:
            f.write(before)

        if can_use_private_mounts():
            # Root writes through file modes, so the folder is made read-only by a mount.
            quoted = shlex.quote(folder)
            self.start(root_wrapper("mount --bind %s %s && mount -o remount,bind,ro %s %s"
                                    % (quoted, quoted, quoted, quoted)))
        elif os.geteuid() != 0:
            os.chmod(folder, 0o500)
            self.addCleanup(os.chmod, folder, 0o700)
            self.start()
        else:
            self.skipTest("root without private mounts cannot make a folder read-only")

        self.assertEqual(self.box_text(USERNAME_BOX), "old name")
        self.replace_text(USERNAME_BOX, "new name")
        self.click(LOGIN)
        boxes = wait_for(self.message_boxes, "the failure box")
        self.assertEqual(self.title(boxes[0]), "Corvane")
        self.assertIn("corvane: Could not write " + self.settings_file + ": ",
                      self.stderr_text())
        with open(self.settings_file, "rb") as f:
            self.assertEqual(f.read(), before)
        self.assertEqual(sorted(os.listdir(folder)), ["Corvane.conf"])

        # Dismissed, the box leaves the window as it was.
        self.key("Return", window=boxes[0])
        wait_for(lambda: not self.message_boxes(), "the box to close")
        self.assertIsNone(self.process.poll())
        self.assertEqual(self.box_text(USERNAME_BOX), "new name")
        self.click(EXIT)
        self.assertEqual(self.exit_status(), 0)


if __name__ == "__main__":
    unittest.main()
