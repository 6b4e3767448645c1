// SPDX-License-Identifier: MIT
#include "mark.h"

#include "palette.h"
#include "pixelart.h"
#include "textpath.h"

#include <array>
#include <QPainter>
#include <string_view>

namespace artgen {

namespace {
// Bits per pixel of the icon's two palettes: black and white, and the 16 VGA colours.
constexpr int monochromeBits = 1;
constexpr int vgaBits = 4;
// Tile corners are rounded by this fraction of the side.
constexpr qreal cornerFraction = 0.22;

struct MarkColours
{
    QColor tile;
    QColor rim;
    QColor letter;
};

// The colours are palette colours already, so quantising keeps them exact away from the edges.
constexpr MarkColours redOnDark{QColor(0, 0, 0), QColor(128, 0, 0), QColor(255, 0, 0)};
constexpr MarkColours whiteOnBlack{QColor(0, 0, 0), QColor(0, 0, 0), QColor(255, 255, 255)};

struct MarkStyle
{
    int side;
    qreal letterFraction; // of the side, the letter's height
    qreal penFraction;    // of the side, the pen that thickens the letter
    MarkColours colours;
};

constexpr MarkStyle monochrome32{32, 0.80, 0.05, whiteOnBlack};
constexpr MarkStyle colour32{32, 0.80, 0.05, redOnDark};

// At 16 pixels the blackletter's spurs and hairlines turn into noise, so the small mark is drawn
// by hand: the same heavy left stroke, flagged top arm, curled foot and maroon inner hairline,
// in whole pixels. 'K' tile, 'M' maroon rim and hairline, 'R' red letter.
constexpr std::array<std::string_view, 16> small{
    "...MMMMMMMMMM...", //
    "..MKKKKKKKKKKM..", //
    ".MKKKKKRRRRRRKM.", //
    "MKKKKRRRRKKRRKKM", //
    "MKKKRRRMKKKKRKKM", //
    "MKKRRRMKKKKKKKKM", //
    "MKKRRRMKKKKKKKKM", //
    "MKKRRRMKKKKKKKKM", //
    "MKKRRRMKKKKKKKKM", //
    "MKKRRRMKKKKKKKKM", //
    "MKKRRRRKKKKKKRKM", //
    "MKKKRRRRKKKKRRKM", //
    "MKKKKRRRRRRRRKKM", //
    ".MKKKKKRRRRRKKM.", //
    "..MKKKKKKKKKKM..", //
    "...MMMMMMMMMM...", //
};
constexpr std::array<std::pair<char, Vga>, 3> smallLegend{
    {{'K', Vga::Black}, {'M', Vga::Maroon}, {'R', Vga::Red}}};

QImage paintMark(const QFont& font, const MarkStyle& style)
{
    const int side = style.side;
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF tile(0.5, 0.5, side - 1.0, side - 1.0);
    const qreal corner = cornerFraction * side;
    painter.setPen(QPen(style.colours.rim, 1.0));
    painter.setBrush(style.colours.tile);
    painter.drawRoundedRect(tile, corner, corner);

    const qreal inset = side * (1 - style.letterFraction) / 2;
    const QPainterPath letter =
        fitCentred(textOutline(font, QStringLiteral("C")),
                   QRectF(0, 0, side, side).adjusted(inset, inset, -inset, -inset));
    // Isabella's hairlines vanish at icon sizes, so the letter is drawn with a pen as well as
    // filled, which thickens every stroke evenly.
    painter.setPen(QPen(style.colours.letter, style.penFraction * side, Qt::SolidLine, Qt::RoundCap,
                        Qt::RoundJoin));
    painter.setBrush(style.colours.letter);
    painter.drawPath(letter);
    return image;
}
} // namespace

std::vector<IndexedImage> makeMarkIcons(const QFont& font)
{
    return {quantise(paintMark(font, monochrome32), monochromePalette(), monochromeBits),
            quantise(paintMark(font, colour32), vgaPalette(), vgaBits),
            fromPixelArt(small, smallLegend)};
}

} // namespace artgen
