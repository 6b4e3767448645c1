# SPDX-License-Identifier: MIT
"""The window at a device pixel ratio of 2 (QT_SCALE_FACTOR=2), as the X server sees it.

Every position and size is twice the 96-DPI figure, the artwork is scaled in whole-pixel blocks
without smoothing, and the text is drawn at the screen's resolution, not enlarged after.
"""

import os
import unittest

from harness import ASSETS, CorvaneTestCase, read_bmp

SCALE = 2
SCREEN = (1280, 1024)
CLIENT = (460, 292)
# The controls at 96 DPI, in the window: x, y, width, height.
CONTROLS = {
    "Login button": (8, 216, 449, 33),
    "Exit button": (8, 256, 449, 33),
    "user-name box": (240, 136, 217, 25),
    "password box": (240, 176, 217, 25),
}
# How far around a control its painted pixels are looked for: less than the gap between two.
MARGIN = 3
BANNER_SIZE = (456, 135)
# The part of the window that shows nothing but the artwork: the banner with the background
# beside it, and the captions left of the text boxes, above the Login button.
ARTWORK_ONLY = [(0, 0, 460, 135), (0, 135, 236, 81)]
# Ink of a button's caption: dark against the button's light face.
INK_LEVEL = 120


class Screenshot:
    def __init__(self, test):
        self.width, self.height, self.data = test.window_pixels()

    def pixel(self, x, y):
        i = (y * self.width + x) * 4
        return tuple(self.data[i:i + 3])  # blue, green, red


def artwork():
    """What the two pictures show together, pixel by pixel at 96 DPI, as (b, g, r)."""
    _, _, background = read_bmp(os.path.join(ASSETS, "background.bmp"))
    _, _, banner = read_bmp(os.path.join(ASSETS, "banner.bmp"))
    return [[banner[y][x] if x < BANNER_SIZE[0] and y < BANNER_SIZE[1] else background[y][x]
             for x in range(CLIENT[0])] for y in range(CLIENT[1])]


def painted_box(shot, picture, rect, scale):
    """The bounding box, in screen pixels, of what differs from the artwork around a control."""
    x0, y0 = max(0, (rect[0] - MARGIN) * scale), max(0, (rect[1] - MARGIN) * scale)
    x1 = min(CLIENT[0], rect[0] + rect[2] + MARGIN) * scale
    y1 = min(CLIENT[1], rect[1] + rect[3] + MARGIN) * scale
    xs, ys = [], []
    for y in range(y0, y1):
        for x in range(x0, x1):
            if shot.pixel(x, y) != picture[y // scale][x // scale]:
                xs.append(x)
                ys.append(y)
    if not xs:
        return None
    return (min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)


def ink_box(shot, rect, scale):
    """The bounding box, in screen pixels, of the dark caption inside a button."""
    xs, ys = [], []
    for y in range((rect[1] + 2) * scale, (rect[1] + rect[3] - 2) * scale):
        for x in range((rect[0] + 2) * scale, (rect[0] + rect[2] - 2) * scale):
            if max(shot.pixel(x, y)) < INK_LEVEL:
                xs.append(x)
                ys.append(y)
    return (min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)


class HighDpiTest(CorvaneTestCase):
    def start_at(self, scale):
        self.env["QT_SCALE_FACTOR"] = str(scale)
        window = self.start()
        self.settle()
        return window

    def test_window_is_twice_as_large_fixed_and_centred(self):
        window = self.start_at(SCALE)
        geometry = window.get_geometry()
        size = (CLIENT[0] * SCALE, CLIENT[1] * SCALE)
        self.assertEqual((geometry.width, geometry.height), size)
        self.assertEqual((geometry.x, geometry.y),
                         ((SCREEN[0] - size[0]) // 2, (SCREEN[1] - size[1]) // 2))
        hints = window.get_wm_normal_hints()
        self.assertEqual((hints.min_width, hints.min_height), size)
        self.assertEqual((hints.max_width, hints.max_height), size)

    def test_every_control_is_placed_at_twice_its_position_and_size(self):
        picture = artwork()
        for scale in (1, SCALE):
            with self.subTest(scale=scale):
                self.start_at(scale)
                shot = Screenshot(self)
                for name, rect in CONTROLS.items():
                    self.assertEqual(painted_box(shot, picture, rect, scale),
                                     tuple(v * scale for v in rect), name)
                self.process.kill()
                self.process.wait(timeout=10)

    def test_artwork_is_scaled_in_whole_pixel_blocks_without_smoothing(self):
        self.start_at(SCALE)
        shot = Screenshot(self)
        picture = artwork()
        for left, top, width, height in ARTWORK_ONLY:
            mismatches = [(x, y)
                          for y in range(top * SCALE, (top + height) * SCALE)
                          for x in range(left * SCALE, (left + width) * SCALE)
                          if shot.pixel(x, y) != picture[y // SCALE][x // SCALE]]
            self.assertEqual(mismatches[:5], [], "%d pixels are not their picture pixel's block"
                             % len(mismatches))
        # The region holds sharp edges: the title's and the captions' red against black.
        edges = sum(1 for y in range(CLIENT[1] * 3 // 4) for x in range(1, 236)
                    if picture[y][x] != picture[y][x - 1]
                    and (max(picture[y][x]) == 0 or max(picture[y][x - 1]) == 0))
        self.assertGreater(edges, 1000)

    def test_captions_are_drawn_at_the_screens_resolution(self):
        rect = CONTROLS["Login button"]
        self.start_at(1)
        small = ink_box(Screenshot(self), rect, 1)
        self.process.kill()
        self.process.wait(timeout=10)

        self.start_at(SCALE)
        shot = Screenshot(self)
        large = ink_box(shot, rect, SCALE)
        # Twice as large, give or take the hinting of the glyphs at each size...
        for measured, at_96_dpi in [(large[2], small[2]), (large[3], small[3])]:
            self.assertAlmostEqual(measured, at_96_dpi * SCALE, delta=at_96_dpi * SCALE // 5)
        # ...and drawn with the screen's pixels: text enlarged after drawing would be made of
        # whole 2 x 2 blocks.
        blocks = split = 0
        for y in range(large[1] - large[1] % 2, large[1] + large[3], 2):
            for x in range(large[0] - large[0] % 2, large[0] + large[2], 2):
                block = {shot.pixel(x + dx, y + dy) for dx in (0, 1) for dy in (0, 1)}
                if any(max(p) < INK_LEVEL for p in block):
                    blocks += 1
                    split += len(block) > 1
        self.assertGreater(split, blocks // 4, "%d of %d inked blocks are split" % (split, blocks))


if __name__ == "__main__":
    unittest.main()
