// SPDX-License-Identifier: MIT
#include "dib.h"

#include <optional>
#include <QtEndian>

namespace dib {

namespace {

// BITMAPFILEHEADER: "BM", the file size, two reserved words, the offset of the pixels.
constexpr qsizetype fileHeaderSize = 14;
constexpr qsizetype pixelOffsetField = 10;
// BITMAPINFOHEADER, the header every DIB here starts with.
constexpr quint32 infoHeaderSize = 40;
constexpr quint32 uncompressed = 0; // BI_RGB
// ICONDIR and ICONDIRENTRY.
constexpr qsizetype directorySize = 6;
constexpr qsizetype entrySize = 16;
// A width or height byte of 0 in a directory entry means 256.
constexpr int fullEntrySize = 256;
// An opaque pixel's alpha, and the colour bits of a 0xAARRGGBB pixel.
constexpr quint32 opaque = 0xFF000000U;
constexpr quint32 rgbBits = 0x00FFFFFFU;
// The largest picture accepted; far beyond the artwork, well within memory.
constexpr int maxSide = 4096;

// Little-endian fields of a byte range, with every read checked against its end.
class Reader
{
public:
    explicit Reader(QByteArrayView data) : data_(data) {}

    template <typename T> std::optional<T> at(qsizetype offset) const
    {
        if (offset < 0 || offset > data_.size() - qsizetype(sizeof(T))) {
            return std::nullopt;
        }
        return qFromLittleEndian<T>(data_.data() + offset);
    }

    bool holds(qsizetype offset, qsizetype length) const
    {
        return offset >= 0 && length >= 0 && offset <= data_.size() &&
               length <= data_.size() - offset;
    }

    const uchar* bytes(qsizetype offset) const
    {
        return reinterpret_cast<const uchar*>(data_.data()) + offset;
    }

private:
    QByteArrayView data_;
};

// The bytes of one bitmap row of `width` pixels at `bits` a pixel: rows are padded to 4 bytes.
qsizetype rowStride(int width, int bits)
{
    return ((qsizetype(width) * bits + 31) / 32) * 4;
}

struct InfoHeader
{
    int width = 0;
    int height = 0;
    int bits = 0;
    quint32 paletteSize = 0;
};

std::variant<InfoHeader, QString> readInfoHeader(const Reader& reader, qsizetype at)
{
    const auto size = reader.at<quint32>(at);
    const auto width = reader.at<qint32>(at + 4);
    const auto height = reader.at<qint32>(at + 8);
    const auto planes = reader.at<quint16>(at + 12);
    const auto bits = reader.at<quint16>(at + 14);
    const auto compression = reader.at<quint32>(at + 16);
    const auto colorsUsed = reader.at<quint32>(at + 32);
    if (!size || !colorsUsed) {
        return QStringLiteral("the bitmap header is cut short");
    }
    if (*size < infoHeaderSize || *planes != 1) {
        return QStringLiteral("not a Windows bitmap header");
    }
    if (*compression != uncompressed) {
        return QStringLiteral("compressed bitmaps are not supported");
    }
    if (*width <= 0 || *width > maxSide || *height <= 0 || *height > 2 * maxSide) {
        return QStringLiteral("the bitmap's size is out of range");
    }
    InfoHeader header{*width, *height, *bits, 0};
    if (*bits == 1 || *bits == 4 || *bits == 8) {
        const quint32 full = 1U << *bits;
        header.paletteSize = *colorsUsed == 0 ? full : *colorsUsed;
        if (header.paletteSize > full) {
            return QStringLiteral("the palette is larger than the pixels can address");
        }
    } else if (*bits != 24) {
        return QStringLiteral("%1 bits a pixel are not supported").arg(*bits);
    }
    return header;
}

} // namespace

std::variant<QImage, QString> decodeBmp(QByteArrayView file)
{
    const Reader reader(file);
    if (file.size() < fileHeaderSize || file[0] != 'B' || file[1] != 'M') {
        return QStringLiteral("not a BMP file");
    }
    const auto loaded = readInfoHeader(reader, fileHeaderSize);
    if (const auto* error = std::get_if<QString>(&loaded)) {
        return *error;
    }
    const InfoHeader header = std::get<InfoHeader>(loaded);
    if (header.bits != 24) {
        return QStringLiteral("only 24-bit BMP files are supported");
    }
    const qsizetype stride = rowStride(header.width, 24);
    const auto pixels = reader.at<quint32>(pixelOffsetField);
    if (!pixels || !reader.holds(*pixels, stride * header.height)) {
        return QStringLiteral("the BMP file is cut short");
    }

    QImage image(header.width, header.height, QImage::Format_RGB32);
    if (image.isNull()) {
        return QStringLiteral("out of memory");
    }
    // Rows are stored bottom up, each pixel as blue, green, red. Read as a little-endian word,
    // a pixel's three bytes are already 0x00RRGGBB; the last pixel of a row is read byte by
    // byte so that no read goes past the row.
    for (int y = 0; y < header.height; ++y) {
        const uchar* source = reader.bytes(*pixels + (header.height - 1 - y) * stride);
        auto* target = reinterpret_cast<QRgb*>(image.scanLine(y));
        const int last = header.width - 1;
        for (int x = 0; x < last; ++x, source += 3) {
            target[x] = opaque | (qFromLittleEndian<quint32>(source) & rgbBits);
        }
        target[last] = qRgb(source[2], source[1], source[0]);
    }
    return image;
}

namespace {

// One paletted DIB with its AND mask, as icon and cursor files hold them: the header's height
// counts the colour rows and the mask rows together.
std::variant<QImage, QString> decodeIconBitmap(const Reader& reader, qsizetype at, qsizetype length)
{
    if (!reader.holds(at, length)) {
        return QStringLiteral("an image lies outside the file");
    }
    const auto loaded = readInfoHeader(reader, at);
    if (const auto* error = std::get_if<QString>(&loaded)) {
        return *error;
    }
    const InfoHeader header = std::get<InfoHeader>(loaded);
    if (header.paletteSize == 0 || header.height % 2 != 0) {
        return QStringLiteral("only paletted icon images are supported");
    }
    const int width = header.width;
    const int height = header.height / 2;
    const qsizetype palette = at + infoHeaderSize;
    const qsizetype colours = palette + qsizetype(header.paletteSize) * 4;
    const qsizetype colourStride = rowStride(width, header.bits);
    const qsizetype mask = colours + colourStride * height;
    const qsizetype maskStride = rowStride(width, 1);
    if (mask + maskStride * height > at + length) {
        return QStringLiteral("an image is cut short");
    }

    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return QStringLiteral("out of memory");
    }
    const int perByte = 8 / header.bits;
    const uint indexMask = (1U << header.bits) - 1;
    for (int y = 0; y < height; ++y) {
        const int row = height - 1 - y; // bottom up
        const uchar* colourRow = reader.bytes(colours + row * colourStride);
        const uchar* maskRow = reader.bytes(mask + row * maskStride);
        auto* target = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const bool transparent = (maskRow[x / 8] >> (7 - x % 8)) & 1U;
            const int shift = (perByte - 1 - x % perByte) * header.bits;
            const uint index = (colourRow[x / perByte] >> shift) & indexMask;
            if (transparent) {
                target[x] = 0;
            } else if (index >= header.paletteSize) {
                return QStringLiteral("a pixel names a colour the palette lacks");
            } else {
                const uchar* entry = reader.bytes(palette + index * 4);
                target[x] = qRgb(entry[2], entry[1], entry[0]);
            }
        }
    }
    return image;
}

} // namespace

std::variant<QList<IconImage>, QString> decodeIconFile(QByteArrayView file, IconKind kind)
{
    const Reader reader(file);
    const auto reserved = reader.at<quint16>(0);
    const auto type = reader.at<quint16>(2);
    const auto count = reader.at<quint16>(4);
    if (!count || *reserved != 0 || *type != quint16(kind)) {
        return kind == IconKind::Cursor ? QStringLiteral("not a cursor file")
                                        : QStringLiteral("not an icon file");
    }
    if (*count == 0) {
        return QStringLiteral("the file holds no image");
    }
    QList<IconImage> images;
    for (int i = 0; i < *count; ++i) {
        const qsizetype entry = directorySize + i * entrySize;
        const auto width = reader.at<quint8>(entry);
        const auto height = reader.at<quint8>(entry + 1);
        const auto hotX = reader.at<quint16>(entry + 4);
        const auto hotY = reader.at<quint16>(entry + 6);
        const auto length = reader.at<quint32>(entry + 8);
        const auto offset = reader.at<quint32>(entry + 12);
        if (!offset) {
            return QStringLiteral("the directory is cut short");
        }
        auto decoded = decodeIconBitmap(reader, *offset, *length);
        if (const auto* error = std::get_if<QString>(&decoded)) {
            return *error;
        }
        QImage image = std::get<QImage>(std::move(decoded));
        const QSize listed(*width == 0 ? fullEntrySize : *width,
                           *height == 0 ? fullEntrySize : *height);
        if (image.size() != listed) {
            return QStringLiteral("an image's size differs from its directory entry");
        }
        const QPoint hotSpot = kind == IconKind::Cursor ? QPoint(*hotX, *hotY) : QPoint();
        if (!image.rect().contains(hotSpot)) {
            return QStringLiteral("the hot spot lies outside the cursor");
        }
        images.append({std::move(image), hotSpot});
    }
    return images;
}

} // namespace dib
