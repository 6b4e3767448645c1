// SPDX-License-Identifier: MIT
#include "bmpwriter.h"

#include "bytewriter.h"
#include "dibheader.h"

namespace artgen {

namespace {
// "BM": the BITMAPFILEHEADER's signature.
constexpr std::uint16_t bmpSignature = 0x4D42;
// BITMAPFILEHEADER is 14 bytes: signature, file size, two reserved words, pixel offset.
constexpr std::uint32_t fileHeaderSize = 14;
constexpr std::uint16_t bitsPerPixel = 24;
} // namespace

QByteArray encodeBmp24(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int stride = dibRowStride(rgb.width(), bitsPerPixel);
    const auto pixelBytes = static_cast<std::uint32_t>(stride * rgb.height());
    const std::uint32_t pixelOffset = fileHeaderSize + dibHeaderSize;

    QByteArray out;
    out.reserve(static_cast<qsizetype>(pixelOffset + pixelBytes));
    appendU16(out, bmpSignature);
    appendU32(out, pixelOffset + pixelBytes);
    appendU16(out, 0);
    appendU16(out, 0);
    appendU32(out, pixelOffset);
    appendDibHeader(out, {.width = rgb.width(),
                          .height = rgb.height(),
                          .bitsPerPixel = bitsPerPixel,
                          .imageSize = pixelBytes,
                          .coloursUsed = 0});

    const int padding = stride - rgb.width() * 3;
    for (int y = rgb.height() - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            appendU8(out, static_cast<std::uint8_t>(qBlue(line[x])));
            appendU8(out, static_cast<std::uint8_t>(qGreen(line[x])));
            appendU8(out, static_cast<std::uint8_t>(qRed(line[x])));
        }
        out.append(padding, '\0');
    }
    return out;
}

} // namespace artgen
