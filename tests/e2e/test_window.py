# SPDX-License-Identifier: MIT
"""The login window as the X server sees it: title, size, place, pictures, cursor, start-up."""

import os
import shlex
import tempfile
import unittest

from harness import (ASSETS, BACKGROUND_BELOW_BANNER, BANNER, BINARY, USERNAME_BOX,
                     CorvaneTestCase, can_use_private_mounts, read_bmp, root_wrapper, wait_for)


class WindowTest(CorvaneTestCase):
    def test_fresh_start_shows_the_offline_window_centred_and_fixed(self):
        window = self.start()
        # This machine has no PPP link.
        self.assertEqual(self.title(window), "Corvane (Offline)")
        geometry = window.get_geometry()
        self.assertEqual((geometry.width, geometry.height), (460, 292))
        self.assertEqual((geometry.x, geometry.y), ((1280 - 460) // 2, (1024 - 292) // 2))
        hints = window.get_wm_normal_hints()
        self.assertEqual((hints.min_width, hints.min_height), (460, 292))
        self.assertEqual((hints.max_width, hints.max_height), (460, 292))
        self.assertEqual(window.get_wm_class(), ("corvane", "Corvane"))
        icon = window.get_full_property(self.x.intern_atom("_NET_WM_ICON"), 0)
        self.assertIsNotNone(icon, "the window carries no icon")

        self.assertEqual(self.box_text(USERNAME_BOX), "Username")
        # Reading the box wrote nothing.
        self.assertIsNone(self.stored_file())

    def test_pictures_are_shown_pixel_for_pixel(self):
        self.start()
        # Mapped is not yet painted: let the first frame reach the server.
        self.settle()
        width, height, data = self.window_pixels()

        def pixel(x, y):
            i = (y * width + x) * 4
            return tuple(data[i:i + 3])  # blue, green, red

        _, _, banner = read_bmp(os.path.join(ASSETS, "banner.bmp"))
        _, _, background = read_bmp(os.path.join(ASSETS, "background.bmp"))
        regions = [
            ("banner", banner, range(0, 456), range(0, 135)),
            ("background beside the banner", background, range(456, 460), range(0, 135)),
            ("captions", background, range(0, 236), range(135, 216)),
            ("below the Exit button", background, range(0, 460), range(289, 292)),
        ]
        for name, picture, xs, ys in regions:
            mismatches = [(x, y) for y in ys for x in xs if pixel(x, y) != picture[y][x]]
            self.assertEqual(mismatches[:5], [], "%s differs from its picture" % name)

    def test_hand_cursor_over_the_banner_only(self):
        self.start()
        self.move_pointer(BANNER)
        self.settle()
        hand = self.x.xfixes_get_cursor_image(self.window)
        self.assertEqual((hand.width, hand.height, hand.xhot, hand.yhot), (32, 32, 12, 1))
        self.move_pointer(BACKGROUND_BELOW_BANNER)
        self.settle()
        arrow = self.x.xfixes_get_cursor_image(self.window)
        self.assertNotEqual(arrow.cursor_serial, hand.cursor_serial)
        self.assertNotEqual((arrow.xhot, arrow.yhot), (12, 1))

    def test_two_copies_share_only_the_stored_name(self):
        first = self.start()
        first_process = self.process
        second = self.start()
        self.assertNotEqual(first.id, second.id)
        self.assertIsNone(first_process.poll())
        self.assertEqual(self.title(second), "Corvane (Offline)")

    def test_artwork_that_cannot_be_loaded_ends_the_start_with_a_report(self):
        # A copy of the program whose embedded background picture is damaged: its "BM" mark,
        # found by the picture's header, which the program carries uncompressed.
        with open(BINARY, "rb") as f:
            program = bytearray(f.read())
        with open(os.path.join(ASSETS, "background.bmp"), "rb") as f:
            header = f.read(54)
        at = program.find(header)
        self.assertGreater(at, 0, "the background picture is not in the program as it is")
        self.assertEqual(program.find(header, at + 1), -1)
        program[at:at + 2] = b"XX"
        binary = os.path.join(tempfile.mkdtemp(dir=self.home), "corvane")
        with open(binary, "wb") as f:
            f.write(program)
        os.chmod(binary, 0o755)

        self.start(binary=binary, wait=False)
        boxes = wait_for(self.message_boxes, "the failure report")
        self.assertEqual(len(boxes), 1)
        self.assertIsNone(self._window_titled_like("Corvane ("))
        self.assertEqual(self.stderr_text(),
                         "corvane: Could not load :/assets/background.bmp: not a BMP file\n")
        self.key("Return", window=boxes[0])
        self.assertEqual(self.exit_status(), 1)


@unittest.skipUnless(can_use_private_mounts(),
                     "needs root and a private mount namespace to replace /sys/class/net")
class DialUpStateTest(CorvaneTestCase):
    def make_tree(self, links):
        """A stand-in /sys/class/net: {name: (type, ifindex, flags, carrier or None)}."""
        tree = tempfile.mkdtemp(dir=self.home)
        for name, (kind, index, flags, carrier) in links.items():
            os.mkdir(os.path.join(tree, name))
            files = {"type": kind, "ifindex": index, "flags": flags}
            if carrier is not None:
                files["carrier"] = carrier
            for file, value in files.items():
                with open(os.path.join(tree, name, file), "w") as f:
                    f.write("%s\n" % value)
        return tree

    def start_with_tree(self, tree):
        return self.start(root_wrapper("mount --bind %s /sys/class/net" % shlex.quote(tree)))

    def test_connected_ppp_link_gives_online(self):
        tree = self.make_tree({"lo": (772, 1, "0x9", 1), "eth0": (1, 2, "0x1003", 1),
                               "ppp0": (512, 5, "0x1091", 1)})
        self.assertEqual(self.title(self.start_with_tree(tree)), "Corvane (Online)")

    def test_first_ppp_link_still_dialling_gives_offline(self):
        # ppp1 has the lower index, so it is listed first and decides.
        tree = self.make_tree({"ppp0": (512, 6, "0x1091", 1), "ppp1": (512, 4, "0x1090", None)})
        window = self.start_with_tree(tree)
        self.assertEqual(self.title(window), "Corvane (Offline)")
        self.assertEqual(self.message_boxes(), [])

    def test_unreadable_interface_list_says_error_once_before_the_window(self):
        # An empty file system over /sys/class: the interface list is missing.
        self.start(root_wrapper("mount -t tmpfs none /sys/class"), wait=False)
        boxes = wait_for(self.message_boxes, "the ERROR box")
        self.assertEqual(len(boxes), 1)
        self.assertIsNone(self._window_titled_like("Corvane ("))
        self.assertIn("corvane: Could not list the dial-up connections (error 3): "
                      "/sys/class/net: No such file or directory", self.stderr_text())
        self.key("Return", window=boxes[0])
        window = self.wait_for_login_window()
        self.assertEqual(self.title(window), "Corvane (Offline)")
        self.assertEqual(self.message_boxes(), [])


if __name__ == "__main__":
    unittest.main()
