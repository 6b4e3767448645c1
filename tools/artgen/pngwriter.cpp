// SPDX-License-Identifier: MIT
#include "pngwriter.h"

#include "artgenerror.h"

#include <QBuffer>
#include <QImageWriter>

namespace artgen {

QByteArray encodePng(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image.convertToFormat(QImage::Format_ARGB32))) {
        throw ArtgenError(QStringLiteral("cannot encode a PNG picture: %1")
                              .arg(writer.errorString())
                              .toStdString());
    }
    return bytes;
}

} // namespace artgen
