// SPDX-License-Identifier: MIT
// The login window's layout in pixels at 96 DPI (the design's twips divided by 15), and the text
// boxes' font. Both windows place their controls from here.
#pragma once

namespace core::layout {

struct Rect
{
    int x;
    int y;
    int width;
    int height;

    constexpr bool contains(int px, int py) const
    {
        return px >= x && px < x + width && py >= y && py < y + height;
    }
};

// The window's client area. The background picture is 17 rows taller; those rows are cut off.
inline constexpr int clientWidth = 460;
inline constexpr int clientHeight = 292;

// Back to front: each one lies above those before it. The pictures are shown at their natural
// size, so their rectangles are the pictures' sizes.
inline constexpr Rect Image1{0, 0, 460, 309};
inline constexpr Rect Image2{0, 0, 456, 135};
inline constexpr Rect cmdLogin{8, 216, 449, 33};
inline constexpr Rect CmdExit{8, 256, 449, 33};
inline constexpr Rect txtUsername{240, 136, 217, 25};
inline constexpr Rect txtPassword{240, 176, 217, 25};

// Both text boxes: "MS Sans Serif", 12 point, regular weight, or the platform's nearest face.
inline constexpr char textBoxFontFamily[] = "MS Sans Serif";
inline constexpr int textBoxPointSize = 12;
inline constexpr int textBoxWeight = 400;

// What the password box shows for each character typed into it.
inline constexpr char passwordCharacter = '*';

// The cursor over the banner: a hand whose finger tip is the hot spot.
inline constexpr int handHotSpotX = 12;
inline constexpr int handHotSpotY = 1;

} // namespace core::layout
