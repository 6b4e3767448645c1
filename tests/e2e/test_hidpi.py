# SPDX-License-Identifier: MIT
"""The window at a device pixel ratio of 2 (QT_SCALE_FACTOR=2), as the X server sees it: every
control twice as far and as large as the layout says, and the artwork in 2 x 2 blocks without
smoothing. test_window.py checks the same at 96 DPI."""

import unittest

from harness import (ASSETS_DIR, CLIENT, CONTROLS, SCREEN, QtDesktop, artwork, eventually,
                     painted_box)

SCALE = 2


class HighDpiTest(QtDesktop):
    def test_layout_and_artwork_at_twice_the_scale(self):
        self.env["QT_SCALE_FACTOR"] = str(SCALE)
        window = self.start()
        size = (CLIENT[0] * SCALE, CLIENT[1] * SCALE)
        geometry = window.get_geometry()
        self.assertEqual((geometry.width, geometry.height), size)
        self.assertEqual(self.client_origin(),
                         ((SCREEN[0] - size[0]) // 2, (SCREEN[1] - size[1]) // 2))
        hints = window.get_wm_normal_hints()
        self.assertEqual((hints.min_width, hints.min_height, hints.max_width, hints.max_height),
                         size * 2)
        picture = artwork(ASSETS_DIR)

        def as_laid_out():
            pixel = self.window_pixels()
            for name, rect in CONTROLS.items():
                self.assertEqual(painted_box(pixel, rect, SCALE), tuple(v * SCALE for v in rect),
                                 name)
            # The artwork alone: the banner with the background beside it, and the captions.
            for left, top, width, height in [(0, 0, 460, 135), (0, 135, 236, 81)]:
                wrong = [(x, y) for y in range(top * SCALE, (top + height) * SCALE)
                         for x in range(left * SCALE, (left + width) * SCALE)
                         if pixel(x, y) != picture[y // SCALE][x // SCALE]]
                self.assertEqual(wrong[:5], [], "the artwork")

        eventually(as_laid_out)
        self.exit_program(SCALE)


if __name__ == "__main__":
    unittest.main()
