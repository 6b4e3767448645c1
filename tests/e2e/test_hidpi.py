# SPDX-License-Identifier: MIT
"""The window at 96 DPI and at a device pixel ratio of 2 (QT_SCALE_FACTOR=2), as the X server
sees it: every control where the layout puts it, twice as far and as large at 2, and the artwork
in whole-pixel blocks without smoothing."""

import unittest

from harness import (ASSETS_DIR, CLIENT, EXIT_RECT, LOGIN_RECT, PASSWORD_RECT, SCREEN,
                     USERNAME_RECT, QtDesktop, artwork)

CONTROLS = {"Login": LOGIN_RECT, "Exit": EXIT_RECT, "user name": USERNAME_RECT,
            "password": PASSWORD_RECT}
# How far around a control its painted pixels are looked for: less than the gap between two.
MARGIN = 3


def painted_box(pixel, picture, rect, scale):
    """The bounding box, in screen pixels, of what differs from the artwork around a control."""
    x0, y0 = max(0, (rect[0] - MARGIN) * scale), max(0, (rect[1] - MARGIN) * scale)
    x1 = min(CLIENT[0], rect[0] + rect[2] + MARGIN) * scale
    y1 = min(CLIENT[1], rect[1] + rect[3] + MARGIN) * scale
    found = [(x, y) for y in range(y0, y1) for x in range(x0, x1)
             if pixel(x, y) != picture[y // scale][x // scale]]
    xs, ys = [p[0] for p in found], [p[1] for p in found]
    return (min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1) if found else None


class HighDpiTest(QtDesktop):
    def start_at(self, scale):
        self.env["QT_SCALE_FACTOR"] = str(scale)
        window = self.start()
        self.settle()
        return window, self.window_pixels()

    def test_layout_and_artwork_at_two_scales(self):
        picture = artwork(ASSETS_DIR)
        for scale in (1, 2):
            window, pixel = self.start_at(scale)
            size = (CLIENT[0] * scale, CLIENT[1] * scale)
            geometry = window.get_geometry()
            self.assertEqual((geometry.width, geometry.height), size)
            self.assertEqual(self.client_origin(),
                             ((SCREEN[0] - size[0]) // 2, (SCREEN[1] - size[1]) // 2))
            hints = window.get_wm_normal_hints()
            self.assertEqual((hints.min_width, hints.min_height, hints.max_width,
                              hints.max_height), size * 2)
            for name, rect in CONTROLS.items():
                self.assertEqual(painted_box(pixel, picture, rect, scale),
                                 tuple(v * scale for v in rect), "%s at %d" % (name, scale))
            # The artwork alone: the banner with the background beside it, and the captions.
            for left, top, width, height in [(0, 0, 460, 135), (0, 135, 236, 81)]:
                wrong = [(x, y) for y in range(top * scale, (top + height) * scale)
                         for x in range(left * scale, (left + width) * scale)
                         if pixel(x, y) != picture[y // scale][x // scale]]
                self.assertEqual(wrong[:5], [], "the artwork at %d" % scale)
            self.exit_program(scale)


if __name__ == "__main__":
    unittest.main()
