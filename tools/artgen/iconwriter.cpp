// SPDX-License-Identifier: MIT
#include "iconwriter.h"

#include "bytewriter.h"
#include "dibheader.h"

#include <stdexcept>

namespace artgen {

namespace {
// ICONDIR's resource types.
constexpr std::uint16_t iconType = 1;
constexpr std::uint16_t cursorType = 2;
// ICONDIR is 6 bytes (reserved, type, count) and each ICONDIRENTRY 16.
constexpr std::uint32_t iconDirSize = 6;
constexpr std::uint32_t iconDirEntrySize = 16;
// An icon's image stores the colour bitmap and the mask one above the other, so the DIB header
// gives twice the picture's height.
constexpr int maskedHeightFactor = 2;
// The AND mask has one bit per pixel.
constexpr int maskBitsPerPixel = 1;
// A directory entry gives sizes in one byte each; pictures here never reach 256.
constexpr int largestEntrySide = 255;

void checkImage(const IndexedImage& image)
{
    const auto expectedPixels = static_cast<std::size_t>(image.width * image.height);
    if (image.bitsPerPixel != 1 && image.bitsPerPixel != 4)
        throw std::invalid_argument("icon images are written with 1 or 4 bits per pixel");
    if (image.palette.size() != (1 << image.bitsPerPixel))
        throw std::invalid_argument("an icon image's palette must be full");
    if (image.width <= 0 || image.height <= 0 || image.width > largestEntrySide ||
        image.height > largestEntrySide)
        throw std::invalid_argument("icon image size out of range");
    if (image.pixels.size() != expectedPixels || image.transparent.size() != expectedPixels)
        throw std::invalid_argument("icon image data does not match its size");
}

// Packs one row of values, most significant bits first, padded to the DIB row stride.
template <typename ValueAt>
void appendPackedRow(QByteArray& out, int width, int bitsPerPixel, ValueAt valueAt)
{
    const int stride = dibRowStride(width, bitsPerPixel);
    const int perByte = 8 / bitsPerPixel;
    for (int byteIndex = 0; byteIndex < stride; ++byteIndex) {
        unsigned byte = 0;
        for (int slot = 0; slot < perByte; ++slot) {
            const int x = byteIndex * perByte + slot;
            const unsigned value = x < width ? valueAt(x) : 0U;
            byte |= value << static_cast<unsigned>((perByte - 1 - slot) * bitsPerPixel);
        }
        appendU8(out, static_cast<std::uint8_t>(byte));
    }
}

QByteArray encodeDib(const IndexedImage& image)
{
    const int xorBytes = dibRowStride(image.width, image.bitsPerPixel) * image.height;
    const int andBytes = dibRowStride(image.width, maskBitsPerPixel) * image.height;

    QByteArray out;
    appendDibHeader(out, {.width = image.width,
                          .height = image.height * maskedHeightFactor,
                          .bitsPerPixel = static_cast<std::uint16_t>(image.bitsPerPixel),
                          .imageSize = static_cast<std::uint32_t>(xorBytes + andBytes),
                          .coloursUsed = 0});
    for (const QRgb colour : image.palette) {
        appendU8(out, static_cast<std::uint8_t>(qBlue(colour)));
        appendU8(out, static_cast<std::uint8_t>(qGreen(colour)));
        appendU8(out, static_cast<std::uint8_t>(qRed(colour)));
        appendU8(out, 0);
    }
    // Transparent pixels carry colour index 0 (black) so that the mask alone decides them.
    for (int y = image.height - 1; y >= 0; --y) {
        appendPackedRow(out, image.width, image.bitsPerPixel, [&](int x) {
            return image.isTransparent(x, y) ? 0U : static_cast<unsigned>(image.index(x, y));
        });
    }
    for (int y = image.height - 1; y >= 0; --y) {
        appendPackedRow(out, image.width, maskBitsPerPixel,
                        [&](int x) { return image.isTransparent(x, y) ? 1U : 0U; });
    }
    return out;
}

// Fields 4 and 5 of a directory entry are the colour planes and bit count in an icon, and the
// hot spot's column and row in a cursor.
QByteArray encodeDirectory(std::uint16_t type, const std::vector<IndexedImage>& images,
                           const std::vector<std::pair<std::uint16_t, std::uint16_t>>& fields45)
{
    QByteArray header;
    appendU16(header, 0);
    appendU16(header, type);
    appendU16(header, static_cast<std::uint16_t>(images.size()));

    QByteArray bodies;
    auto offset = static_cast<std::uint32_t>(iconDirSize + iconDirEntrySize * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const IndexedImage& image = images[i];
        checkImage(image);
        const QByteArray dib = encodeDib(image);
        appendU8(header, static_cast<std::uint8_t>(image.width));
        appendU8(header, static_cast<std::uint8_t>(image.height));
        appendU8(header, static_cast<std::uint8_t>(image.palette.size()));
        appendU8(header, 0);
        appendU16(header, fields45[i].first);
        appendU16(header, fields45[i].second);
        appendU32(header, static_cast<std::uint32_t>(dib.size()));
        appendU32(header, offset);
        offset += static_cast<std::uint32_t>(dib.size());
        bodies.append(dib);
    }
    return header + bodies;
}

} // namespace

QByteArray encodeIcon(const std::vector<IndexedImage>& images)
{
    std::vector<std::pair<std::uint16_t, std::uint16_t>> fields45;
    for (const IndexedImage& image : images)
        fields45.emplace_back(1, static_cast<std::uint16_t>(image.bitsPerPixel));
    return encodeDirectory(iconType, images, fields45);
}

QByteArray encodeCursor(const IndexedImage& image, QPoint hotSpot)
{
    if (hotSpot.x() < 0 || hotSpot.y() < 0 || hotSpot.x() >= image.width ||
        hotSpot.y() >= image.height)
        throw std::invalid_argument("the cursor's hot spot lies outside its image");
    return encodeDirectory(
        cursorType, {image},
        {{static_cast<std::uint16_t>(hotSpot.x()), static_cast<std::uint16_t>(hotSpot.y())}});
}

} // namespace artgen
