// SPDX-License-Identifier: MIT
// The 40-byte BITMAPINFOHEADER shared by the BMP files and the images inside icons and cursors.
#pragma once

#include <cstdint>
#include <QByteArray>

namespace artgen {

struct DibHeader
{
    std::int32_t width = 0;
    std::int32_t height = 0; // positive: rows are stored bottom-up
    std::uint16_t bitsPerPixel = 0;
    std::uint32_t imageSize = 0; // bytes of pixel data (and mask, for icons) after the colour table
    std::uint32_t coloursUsed = 0;
};

// biSize of a BITMAPINFOHEADER, the only header form written here.
inline constexpr std::uint32_t dibHeaderSize = 40;

void appendDibHeader(QByteArray& out, const DibHeader& header);

} // namespace artgen
