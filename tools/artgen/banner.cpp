// SPDX-License-Identifier: MIT
#include "banner.h"

#include "artgenerror.h"
#include "backgroundlayout.h"

#include <array>
#include <QPoint>
#include <string_view>

namespace artgen {

namespace {
// A four-pointed star of light; each digit is the glint's strength at that pixel in ninths.
constexpr std::array<std::string_view, 9> sparkle{
    "....1....", //
    "....3....", //
    "...252...", //
    "..15851..", //
    "135898531", //
    "..15851..", //
    "...252...", //
    "....3....", //
    "....1....", //
};
constexpr int fullStrength = 9;
// The glint's colour: a warm white, as light reflects off red enamel.
constexpr QRgb glintColour = qRgb(255, 244, 228);
// The stars' centres: the crest of the capital C and the shoulder of the final e.
constexpr std::array<QPoint, 2> glintCentres{QPoint(120, 13), QPoint(355, 46)};
// The glint is a small touch: more changed pixels would make the banner visibly differ.
constexpr int fewestChangedPixels = 12;
constexpr int mostChangedPixels = 96;

int blend(int under, int over, int strength)
{
    return (under * (fullStrength - strength) + over * strength + fullStrength / 2) / fullStrength;
}
} // namespace

QImage makeBanner(const QImage& background)
{
    QImage banner = background.copy(QRect(QPoint(0, 0), layout::bannerSize))
                        .convertToFormat(QImage::Format_RGB32);
    const int half = static_cast<int>(sparkle.size()) / 2;
    for (const QPoint centre : glintCentres) {
        for (int row = 0; row < static_cast<int>(sparkle.size()); ++row) {
            const std::string_view line = sparkle[static_cast<std::size_t>(row)];
            for (int column = 0; column < static_cast<int>(line.size()); ++column) {
                const char cell = line[static_cast<std::size_t>(column)];
                if (cell == '.')
                    continue;
                const int strength = cell - '0';
                const QPoint at = centre + QPoint(column - half, row - half);
                const QRgb under = banner.pixel(at);
                banner.setPixel(at, qRgb(blend(qRed(under), qRed(glintColour), strength),
                                         blend(qGreen(under), qGreen(glintColour), strength),
                                         blend(qBlue(under), qBlue(glintColour), strength)));
            }
        }
    }

    const QImage original = background.copy(banner.rect()).convertToFormat(QImage::Format_RGB32);
    int changed = 0;
    for (int y = 0; y < banner.height(); ++y) {
        for (int x = 0; x < banner.width(); ++x)
            changed += banner.pixel(x, y) != original.pixel(x, y) ? 1 : 0;
    }
    if (changed < fewestChangedPixels || changed > mostChangedPixels)
        throw ArtgenError("the banner's glint changes " + std::to_string(changed) +
                          " pixels, outside the intended range");
    return banner;
}

} // namespace artgen
