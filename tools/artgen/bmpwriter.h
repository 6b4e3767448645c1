// SPDX-License-Identifier: MIT
// Encodes an image as an uncompressed 24-bit Windows BMP file.
#pragma once

#include <QByteArray>
#include <QImage>

namespace artgen {

// The image's alpha, if any, is dropped: the file has blue, green and red bytes only.
QByteArray encodeBmp24(const QImage& image);

} // namespace artgen
