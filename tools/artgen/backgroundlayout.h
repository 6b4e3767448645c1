// SPDX-License-Identifier: MIT
// Where things lie in the login window's background picture. The window puts its text boxes at
// fixed places over the picture, so the captions are fitted to exact pixel rows and stop short
// of the boxes' left edge.
#pragma once

#include <QRect>
#include <QSize>

namespace artgen::layout {

// The window's client area that the background fills.
inline constexpr QSize backgroundSize{460, 309};

// The title and all of its ornament stay inside this band at the top.
inline constexpr QRect titleBand{0, 0, 456, 126};

// The title lettering itself, inside the band, above the flourish.
inline constexpr QRect titleLettering{22, 4, 412, 92};

// The flourish rule under the title.
inline constexpr QRect flourishBand{38, 98, 380, 24};

// The captions' painted pixels cover exactly these rectangles (inclusive rows and columns:
// "Username" rows 132..163, "Password" rows 173..212, both columns 10..232). The text boxes
// start at column 240.
inline constexpr QRect usernameCaption{10, 132, 223, 32};
inline constexpr QRect passwordCaption{10, 173, 223, 40};

// The banner repeats this top-left part of the background.
inline constexpr QSize bannerSize{456, 135};

} // namespace artgen::layout
