// SPDX-License-Identifier: MIT
#include "pixelart.h"

#include "artgenerror.h"

#include <algorithm>

namespace artgen {

namespace {
constexpr char transparentCell = '.';
constexpr int bitsPerPixel = 4;

std::uint8_t colourOf(char cell, PixelLegend legend)
{
    const auto found = std::find_if(legend.begin(), legend.end(),
                                    [cell](const auto& entry) { return entry.first == cell; });
    if (found == legend.end())
        throw ArtgenError(std::string("unknown colour '") + cell + "' in pixel art");
    return static_cast<std::uint8_t>(found->second);
}
} // namespace

IndexedImage fromPixelArt(std::span<const std::string_view> rows, PixelLegend legend)
{
    IndexedImage image;
    image.width = rows.empty() ? 0 : static_cast<int>(rows.front().size());
    image.height = static_cast<int>(rows.size());
    image.bitsPerPixel = bitsPerPixel;
    image.palette = vgaPalette();
    for (const std::string_view row : rows) {
        if (static_cast<int>(row.size()) != image.width)
            throw ArtgenError("pixel art rows differ in width");
        for (const char cell : row) {
            const bool clear = cell == transparentCell;
            image.transparent.push_back(clear);
            image.pixels.push_back(clear ? std::uint8_t{0} : colourOf(cell, legend));
        }
    }
    return image;
}

} // namespace artgen
