// SPDX-License-Identifier: MIT
// The product's mark, for the program's icon: the title's ornamented red capital C on a dark
// rounded tile.
#pragma once

#include "indexedimage.h"

#include <QFont>
#include <vector>

namespace artgen {

// The three pictures of the icon file, in its order: 32 x 32 in 2 colours, 32 x 32 in 16 colours
// and 16 x 16 in 16 colours.
std::vector<IndexedImage> makeMarkIcons(const QFont& font);

} // namespace artgen
