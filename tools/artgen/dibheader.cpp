// SPDX-License-Identifier: MIT
#include "dibheader.h"

#include "bytewriter.h"

namespace artgen {

namespace {
// BI_RGB: the pixel data is not compressed.
constexpr std::uint32_t biRgb = 0;
// A DIB has exactly one colour plane.
constexpr std::uint16_t planes = 1;
// No physical resolution is claimed, so the files carry no machine-dependent numbers.
constexpr std::int32_t pixelsPerMetre = 0;
} // namespace

void appendDibHeader(QByteArray& out, const DibHeader& header)
{
    appendU32(out, dibHeaderSize);
    appendI32(out, header.width);
    appendI32(out, header.height);
    appendU16(out, planes);
    appendU16(out, header.bitsPerPixel);
    appendU32(out, biRgb);
    appendU32(out, header.imageSize);
    appendI32(out, pixelsPerMetre);
    appendI32(out, pixelsPerMetre);
    appendU32(out, header.coloursUsed);
    appendU32(out, header.coloursUsed); // every colour in the table is important
}

} // namespace artgen
