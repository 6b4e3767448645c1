// SPDX-License-Identifier: MIT
// A small palette image with a transparency mask: the form of each picture inside an icon or a
// cursor file.
#pragma once

#include <cstdint>
#include <QList>
#include <QRgb>
#include <vector>

namespace artgen {

struct IndexedImage
{
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;             // 1 or 4
    QList<QRgb> palette;              // exactly 2^bitsPerPixel colours
    std::vector<std::uint8_t> pixels; // palette indices, row-major from the top row
    std::vector<bool> transparent;    // true where the AND mask lets the screen show through

    std::uint8_t index(int x, int y) const
    {
        return pixels[static_cast<std::size_t>(y * width + x)];
    }
    bool isTransparent(int x, int y) const
    {
        return transparent[static_cast<std::size_t>(y * width + x)];
    }
};

} // namespace artgen
