# SPDX-License-Identifier: MIT
# The login window as a person meets it, checked the same way for every program that shows it.
#
# `WindowChecks` holds the checks; each program's test class mixes it with its own harness, which
# says how the program is started, where it keeps the name, how it reads a message box, and how a
# failing dial-up listing, a refused write, a browser that cannot start and a failed start are
# staged for it. `QtWindowTest` runs them on the Linux program.

import os
import unittest

from harness import (BACKGROUND_BELOW_BANNER, BANNER, BANNER_RECT, CLIENT, CONTROLS, LOGIN,
                     PASSWORD_BOX, PASSWORD_RECT, SCREEN, USERNAME_BOX, USERNAME_RECT,
                     QtDesktop, artwork, eventually, painted_box, wait_for)

ASSETS = os.environ.get("CORVANE_ASSETS", "")
PASSWORD = "pw-Secret-4711"


class WindowChecks:
    # The checks; the class they are mixed into is a `Desktop` with the staging hooks, and says
    # in MOTIF_HINTS the first three words of _MOTIF_WM_HINTS its window gives the window manager,
    # as Motif's <Xm/MwmUtil.h> has them: which of the next two are given (functions 1,
    # decorations 2), the functions it offers (resize 2, move 4, minimise 8, maximise 16, close
    # 32), the decorations it draws (border 2, resize handles 4, title 8, menu 16, minimise 32,
    # maximise 64).

    # Names a person may type, each stored by Login and shown again at the next start.
    NAMES = ["ann", "", "  Ann Lee  ", "Zoë Ångström 名前"]
    # The selections a copy out of the password box could reach.
    CLIPBOARDS = ("clipboard",)

    def assertShownAt(self, window, scale):
        # The window `scale` times the layout's size, centred, fixed in size, and in it the artwork
        # in blocks of scale x scale pixels, unsmoothed (the banner with the background beside it,
        # the captions left of the boxes, below the Exit button the background alone, its last 17
        # rows cut off), and each control exactly where the layout puts it.
        size = (CLIENT[0] * scale, CLIENT[1] * scale)
        geometry = window.get_geometry()
        self.assertEqual((geometry.width, geometry.height), size)
        self.assertEqual(self.client_origin(),
                         ((SCREEN[0] - size[0]) // 2, (SCREEN[1] - size[1]) // 2))
        hints = window.get_wm_normal_hints()
        self.assertEqual((hints.min_width, hints.min_height, hints.max_width, hints.max_height),
                         size * 2)
        picture = artwork(ASSETS)

        def as_laid_out():
            pixel = self.window_pixels()
            for left, top, width, height in [(0, 0, 460, 135), (0, 135, 236, 81),
                                             (0, 289, 460, 3)]:
                wrong = [(x, y) for y in range(top * scale, (top + height) * scale)
                         for x in range(left * scale, (left + width) * scale)
                         if pixel(x, y) != picture[y // scale][x // scale]]
                self.assertEqual(wrong[:5], [], "the artwork differs")
            for name, rect in CONTROLS.items():
                self.assertEqual(painted_box(pixel, rect, scale),
                                 tuple(v * scale for v in rect), name)

        eventually(as_laid_out)

    def assertCursor(self, image, shape, equal=True):
        # That the cursor's (width, height, hot spot) is `shape`, or with `equal` false that it is
        # not; returns the cursor.
        found = (image.width, image.height, image.xhot, image.yhot)
        (self.assertEqual if equal else self.assertNotEqual)(found, shape)
        return image

    def test_window_as_shown(self):
        window = self.start()
        self.assertEqual(self.title(window), "Corvane (Offline)")
        self.assertShownAt(window, 1)
        # The program's icon, and a title bar whose window manager offers to move and close the
        # window, with a close button, but not to minimise or maximise it: the exact words, since
        # a flags word without functions, or MWM_FUNC_ALL (1), turns what the others say around.
        self.assertTrue(window.get_full_property(self.x.intern_atom("_NET_WM_ICON"), 0))
        hints = window.get_full_property(self.x.intern_atom("_MOTIF_WM_HINTS"), 0).value
        self.assertEqual(tuple(hints[:3]), self.MOTIF_HINTS)
        self.assertEqual(self.box_text(USERNAME_BOX), "Username")

        # The hand over the banner, the arrow elsewhere.
        def cursor_at(point):
            self.xdotool("mousemove", "--window", self.window.id, *point)
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

    def test_twice_the_scale(self):
        self.assertShownAt(self.start_at_twice_the_scale(), 2)
        self.exit_program(2)

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
                self.assertEqual(self.box_text(USERNAME_BOX), name)
                self.exit_program()
        self.assertEqual(self.stderr_text(), "")

    def test_keyboard(self):
        self.start()
        # The focus starts on Login, where Space presses it.
        self.key("space")
        wait_for(lambda: self.stored_name() == "Username", "Login by keyboard")
        # Login, Exit, user name, password, back to Login, where Return presses it.
        self.key("Tab", "Tab", *self.SELECT_ALL, "k", "Tab", "x", "y", "Tab", "Return")
        wait_for(lambda: self.stored_name() == "k", "Login by Return")
        # Shift+Tab goes back to the password box, one more to the user-name box, whose text a
        # Tab into it selects.
        self.key("shift+Tab", "shift+Tab", "z", "Tab", "Tab", "space")
        wait_for(lambda: self.stored_name() == "z", "the tab order backwards")
        # Return and Escape in the boxes press nothing: neither Login, which would store "zq",
        # nor Exit, nor the banner.
        self.key("shift+Tab", "shift+Tab", "End", "q", "Return", "KP_Enter", "Escape",
                 "Tab", "Return", "KP_Enter", "Escape")
        self.inert()
        # The banner, clicked after those keys, opens the browser: they were handled by then.
        self.click(BANNER)
        wait_for(self.opener_starts, "the browser, after the keys")
        self.after_late_actions()
        # From the password box, one Tab reaches Login and one more Exit; by then the program had
        # made every start it would: one, for the banner.
        self.key("Tab", "Tab", "space")
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual((self.stored_name(), len(self.settled_opener_starts())), ("z", 1))

    def test_banner_opens_the_site_at_each_click_and_nothing_else_does(self):
        window = self.start()
        # A click is a press and a release of the left button, both on the banner.
        self.click(BACKGROUND_BELOW_BANNER)
        self.click((BANNER_RECT[2] + 2, 60))
        self.click(BANNER, button=3)
        self.drag(BANNER, BACKGROUND_BELOW_BANNER)
        self.drag(BACKGROUND_BELOW_BANNER, BANNER)
        self.inert()
        # Login, clicked after them, stores the name: they were handled by then.
        self.click(LOGIN)
        wait_for(lambda: self.stored_name() == "Username", "Login, after the clicks")
        self.after_late_actions()
        self.assertEqual(self.settled_opener_starts(), [])
        self.click(BANNER)
        self.click(BANNER)
        wait_for(lambda: len(self.opener_starts()) >= 2, "the starts of the browser")
        # The close request ends the program too, writing nothing. The window says it takes the
        # request, so that a window manager's close button sends it rather than killing the
        # program. Once the program has ended, every start it made is counted: one for each click.
        self.assertIn(self.x.intern_atom("WM_DELETE_WINDOW"), window.get_wm_protocols())
        self.replace_text(USERNAME_BOX, "not stored")
        self.send_close_request(window)
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(self.stored_name(), "Username")
        self.assertEqual([start[:2] for start in self.settled_opener_starts()],
                         [["argc=1", "arg=" + self.OPENED_URL]] * 2)

    def test_password_is_never_copied_or_stored(self):
        self.start()
        self.replace_text(USERNAME_BOX, "ann")
        self.replace_text(PASSWORD_BOX, PASSWORD)
        for which in self.CLIPBOARDS:
            self.set_clipboard("held before", which)
        self.click(PASSWORD_BOX)
        self.key(*self.SELECT_ALL, "ctrl+c", "ctrl+Insert", "ctrl+x")
        self.inert()
        # Login, clicked after those keys, stores the name: they were handled by then.
        self.click(LOGIN)
        wait_for(lambda: self.stored_name() == "ann", "Login, after the copies")
        self.after_late_actions()
        for which in self.CLIPBOARDS:
            self.assertEqual(self.clipboard(which), "held before", which)
        self.exit_program()
        stored = self.everything_stored() + self.stderr_text().encode()
        for encoding in ("utf-8", "utf-16-le"):
            self.assertNotIn(PASSWORD.encode(encoding), stored)

    def test_only_the_first_listed_link_decides(self):
        for state, title in [("connected", "Corvane (Online)"),
                             ("second connected", "Corvane (Offline)")]:
            with self.subTest(state):
                self.assertEqual(self.title(self.start(self.stage_dialup(state))), title)
                self.assertEqual(self.message_boxes(), [])
                self.exit_program()

    # Every message box the program can show, raised as a person meets it and read from outside:
    # its title, its paragraphs of text, its buttons, its icon, whether the login window owns
    # it, the line its failure leaves on standard error, and what follows when it is dismissed.

    def check_box(self, paragraphs, icon, owned, logged, raise_box):
        self.prepare_to_read_boxes()
        raise_box()
        boxes = wait_for(self.message_boxes, "the box")
        self.assertEqual(len(boxes), 1)
        if not owned:
            self.assertIsNone(self.window_titled_like("Corvane ("), "a window beside the box")
        self.assertEqual(self.read_box(boxes[0]),
                         {"title": "Corvane", "paragraphs": paragraphs, "buttons": ["OK"],
                          "icon": icon, "owner": "Corvane (Offline)" if owned else None})
        self.assertLogged(logged)
        self.dismiss(boxes[0])

    def assertWindowKept(self, name):
        self.assertIsNone(self.process.poll())
        self.assertEqual(self.window_titled_like("Corvane (").id, self.window.id)
        self.assertEqual(self.box_text(USERNAME_BOX), name)

    def test_box_when_the_dialup_list_cannot_be_read(self):
        self.check_box(["ERROR"], None, False, "Could not list the dial-up connections (error ",
                       lambda: self.start(self.stage_dialup("failing"), wait=False))
        # The start goes on, offline.
        self.assertEqual(self.title(self.wait_for_login_window()), "Corvane (Offline)")
        self.assertEqual(self.message_boxes(), [])
        self.exit_program()

    def test_box_when_the_name_cannot_be_stored(self):
        self.store_name("old name")
        failure = self.stage_refused_write()

        def login():
            self.start()
            self.replace_text(USERNAME_BOX, "new name")
            self.click(LOGIN)

        self.check_box(["The user name was not saved.", failure], "warning", True, failure, login)
        self.assertWindowKept("new name")
        self.assertEqual(self.stored_name(), "old name")
        self.exit_program()

    def test_box_when_the_browser_cannot_be_started(self):
        failure = self.stage_unstartable_browser()

        def open_site():
            self.start()
            self.click(BANNER)

        self.check_box(["The web site could not be opened.", failure], "warning", True, failure,
                       open_site)
        self.assertWindowKept("Username")
        self.exit_program()

    def test_box_when_the_start_fails(self):
        command, failure = self.stage_failed_start()
        self.check_box(["Corvane failed to start and will close.", failure], "error", False,
                       failure, lambda: self.start(command=command, wait=False))
        self.assertEqual(self.exit_status(), 1)


class QtWindowTest(WindowChecks, QtDesktop):
    # Qt's words for the window's flags: move and close (and resize, which Qt names for every
    # window that names functions; the size hints keep this one's size fixed); a border, resize
    # handles, and a title bar with its menu.
    MOTIF_HINTS = (1 | 2, 2 | 4 | 32, 2 | 4 | 8 | 16)
    # Besides what a person types: a megabyte pasted, one character of every Unicode plane,
    # what the file format treats specially, and line breaks.
    NAMES = WindowChecks.NAMES + [
        ("x" + "Zoë =;#[]\\\", " + "abcdefghijklmnopqrstuvwxyz0123456789" * 2) * 20000,
        "ß" + "".join(chr((plane << 16) + 0x100) for plane in range(1, 17)),
        "  @a\tb=c;d#e[f]g\\h\"i,j,  ",
        "one\ntwo\rthree",
    ]
    # On X11 a selection also sets the primary selection.
    CLIPBOARDS = ("clipboard", "primary")

    def start_at_twice_the_scale(self):
        # As on a screen of twice the scale, which Qt follows.
        self.env["QT_SCALE_FACTOR"] = "2"
        return self.start()

    def test_names_come_back_after_a_restart(self):
        super().test_names_come_back_after_a_restart()
        # The file reads as a person expects.
        with open(self.settings_file, "rb") as f:
            self.assertTrue(f.read().startswith(b"[General]\nLastUser="))

    def test_byte_order_marks_stay_in_a_name(self):
        # First and after a character the format escapes. Stored by the program's own store: the
        # X clipboard would drop the first on its way into the box.
        name = "\ufeffann\t\ufeff"
        self.store_name(name)
        inode = os.stat(self.settings_file).st_ino
        self.start()
        self.assertEqual(self.box_text(USERNAME_BOX), name)
        self.click(LOGIN)
        wait_for(lambda: os.stat(self.settings_file).st_ino != inode, "the file to be replaced")
        self.assertEqual(self.stored_name(), name)
        self.exit_program()

    def test_box_when_the_stored_name_is_not_confirmed(self):
        # No disk here fails a folder's flush on demand: strace makes the kernel's answer EIO.
        # LeakSanitizer cannot work under ptrace.
        folder = os.path.dirname(self.settings_file)
        os.makedirs(folder)
        flush_fails = ["sh", "-c", 'ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0" exec strace -D -f '
                       '-qq -o /dev/null -P "$0" -e trace=fsync -e inject=fsync:error=EIO "$@"',
                       folder]
        failure = ("Wrote %s, but could not confirm that its folder reached the disk: "
                   "Input/output error" % self.settings_file)
        self.check_box(["The user name was stored, but Corvane could not confirm it reached the "
                        "disk.", failure], "warning", True, failure,
                       lambda: (self.start(flush_fails), self.replace_text(USERNAME_BOX, "new"),
                                self.click(LOGIN)))
        self.assertWindowKept("new")
        self.assertEqual(self.stored_name(), "new")
        self.exit_program()

    def test_box_when_no_opener_is_on_the_path(self):
        failure = "Could not open http://www.corvane.example: xdg-open was not found on PATH"
        self.check_box(["The web site could not be opened.", failure], "warning", True, failure,
                       lambda: (self.env.update(PATH="/nonexistent"), self.start(),
                                self.click(BANNER)))
        self.exit_program()


if __name__ == "__main__":
    unittest.main()
