// SPDX-License-Identifier: MIT
// The fixed palettes of the icon and cursor images, and the mapping of painted pictures onto them.
#pragma once

#include "indexedimage.h"

#include <QImage>

namespace artgen {

// The standard 16-colour VGA palette in the order Windows uses for 4-bit images.
enum class Vga : std::uint8_t
{
    Black,
    Maroon,
    Green,
    Olive,
    Navy,
    Purple,
    Teal,
    Silver,
    Grey,
    Red,
    Lime,
    Yellow,
    Blue,
    Fuchsia,
    Aqua,
    White
};

QList<QRgb> vgaPalette();

// Black and white, for the 2-colour icon.
QList<QRgb> monochromePalette();

// Maps every pixel of an ARGB picture to the nearest colour of the palette; pixels whose alpha
// is below half become transparent.
IndexedImage quantise(const QImage& picture, const QList<QRgb>& palette, int bitsPerPixel);

// The palette image as an ARGB picture: its colours opaque, its masked pixels fully clear.
QImage expand(const IndexedImage& image);

} // namespace artgen
