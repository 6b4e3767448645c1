// SPDX-License-Identifier: MIT
// Decoders for the Windows bitmap formats the artwork is kept in, straight into the pixel formats
// the screen uses: a 24-bit uncompressed BMP file, and the images of an ICO or CUR file (1, 4 or
// 8 bits a pixel with a palette and a transparency mask) with a cursor's hot spot. They read only
// what the artwork uses, check every offset against the data, and need no image plugin.
#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>
#include <variant>

namespace dib {

// An opaque picture in QImage::Format_RGB32, or why the data is not one.
std::variant<QImage, QString> decodeBmp(QByteArrayView file);

enum class IconKind : quint16
{
    Icon = 1,
    Cursor = 2,
};

struct IconImage
{
    // QImage::Format_ARGB32_Premultiplied; pixels the mask leaves out are fully transparent.
    QImage image;
    // A cursor's hot spot; (0, 0) for an icon.
    QPoint hotSpot;
};

// Every image of an ICO or CUR file of the given kind, in the file's order, or why not.
std::variant<QList<IconImage>, QString> decodeIconFile(QByteArrayView file, IconKind kind);

} // namespace dib
