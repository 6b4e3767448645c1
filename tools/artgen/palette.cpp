// SPDX-License-Identifier: MIT
#include "palette.h"

#include <limits>

namespace artgen {

namespace {
// Pixels at least half opaque are drawn; the rest are left to the mask.
constexpr int opaqueAlpha = 128;
// Weights of the squared channel differences, after the eye's sensitivity (red, green, blue in
// the proportions of the Rec. 601 luma coefficients, in tenths).
constexpr int redWeight = 3;
constexpr int greenWeight = 6;
constexpr int blueWeight = 1;

int distance(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b);
    const int dg = qGreen(a) - qGreen(b);
    const int db = qBlue(a) - qBlue(b);
    return redWeight * dr * dr + greenWeight * dg * dg + blueWeight * db * db;
}

std::uint8_t nearest(QRgb colour, const QList<QRgb>& palette)
{
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < palette.size(); ++i) {
        const int d = distance(colour, palette[i]);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return static_cast<std::uint8_t>(best);
}
} // namespace

QList<QRgb> vgaPalette()
{
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

QList<QRgb> monochromePalette()
{
    return {qRgb(0, 0, 0), qRgb(255, 255, 255)};
}

IndexedImage quantise(const QImage& picture, const QList<QRgb>& palette, int bitsPerPixel)
{
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    IndexedImage out;
    out.width = argb.width();
    out.height = argb.height();
    out.bitsPerPixel = bitsPerPixel;
    out.palette = palette;
    out.pixels.reserve(static_cast<std::size_t>(out.width * out.height));
    out.transparent.reserve(out.pixels.capacity());
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const bool clear = qAlpha(line[x]) < opaqueAlpha;
            out.transparent.push_back(clear);
            out.pixels.push_back(clear ? std::uint8_t{0} : nearest(line[x], palette));
        }
    }
    return out;
}

QImage expand(const IndexedImage& image)
{
    QImage out(image.width, image.height, QImage::Format_ARGB32);
    for (int y = 0; y < image.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < image.width; ++x) {
            line[x] = image.isTransparent(x, y) ? qRgba(0, 0, 0, 0)
                                                : image.palette.at(image.index(x, y)) | 0xFF000000U;
        }
    }
    return out;
}

} // namespace artgen
