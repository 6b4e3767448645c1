// SPDX-License-Identifier: MIT
// The product's mark, for the program's icon: the title's ornamented red capital C on a dark
// rounded tile.
#pragma once

#include "indexedimage.h"

#include <array>
#include <QFont>
#include <QImage>
#include <vector>

namespace artgen {

// The three pictures of the icon file, in its order: 32 x 32 in 2 colours, 32 x 32 in 16 colours
// and 16 x 16 in 16 colours.
std::vector<IndexedImage> makeMarkIcons(const QFont& font);

// The sides, in pixels, at which the desktop's icon theme gets the mark.
inline constexpr std::array<int, 5> desktopIconSides{16, 32, 48, 64, 128};

// The mark for the desktop's icon theme at one of those sides, in full colour with an alpha
// channel. The 16- and 32-pixel ones are the icon file's 16-colour pictures.
QImage makeDesktopIcon(const QFont& font, int side);

} // namespace artgen
