// SPDX-License-Identifier: MIT
// The pointing-hand cursor shown over the banner: a white hand with a black outline and a blue
// cuff, drawn pixel by pixel.
#pragma once

#include "indexedimage.h"

#include <QPoint>

namespace artgen {

// The fingertip: the pixel that points.
inline constexpr QPoint handCursorHotSpot{12, 1};

// A 32 x 32, 16-colour image.
IndexedImage makeHandCursor();

} // namespace artgen
