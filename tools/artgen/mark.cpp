// SPDX-License-Identifier: MIT
#include "mark.h"

#include "artgenerror.h"
#include "palette.h"
#include "pixelart.h"
#include "textpath.h"

#include <algorithm>
#include <array>
#include <QPainter>
#include <string>
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
    qreal rimFraction;    // of the side, the tile's rim
    MarkColours colours;
};

// One pixel of rim at 32 pixels.
constexpr qreal thinRim = 1.0 / 32;

constexpr MarkStyle monochrome32{32, 0.80, 0.05, thinRim, whiteOnBlack};
constexpr MarkStyle colour32{32, 0.80, 0.05, thinRim, redOnDark};

// The desktop's larger icons. The bigger the letter, the more of its own hairlines survive, so
// the pen that thickens them is thinner in proportion; the rim stays about a pixel and a half
// wide at 64 pixels and above.
constexpr std::array<MarkStyle, 3> desktopStyles{{
    {48, 0.80, 0.040, 1.5 / 48, redOnDark},
    {64, 0.80, 0.032, 1.5 / 64, redOnDark},
    {128, 0.80, 0.020, 2.5 / 128, redOnDark},
}};

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
    // The rim's pen is centred on the tile's edge, so the tile is inset by half of it.
    const qreal rim = style.rimFraction * side;
    const QRectF tile(rim / 2, rim / 2, side - rim, side - rim);
    const qreal corner = cornerFraction * side;
    painter.setPen(QPen(style.colours.rim, rim));
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

QImage makeDesktopIcon(const QFont& font, int side)
{
    if (side == static_cast<int>(small.size()))
        return expand(fromPixelArt(small, smallLegend));
    if (side == colour32.side)
        return expand(quantise(paintMark(font, colour32), vgaPalette(), vgaBits));
    const auto style = std::find_if(desktopStyles.begin(), desktopStyles.end(),
                                    [side](const MarkStyle& each) { return each.side == side; });
    if (style == desktopStyles.end())
        throw ArtgenError("no desktop icon is drawn at " + std::to_string(side) + " pixels");
    return paintMark(font, *style);
}

} // namespace artgen
