// SPDX-License-Identifier: MIT
// Encodes a picture as a PNG file, the format of the desktop's icon themes.
#pragma once

#include <QByteArray>
#include <QImage>

namespace artgen {

// Eight bits a channel with alpha. Throws ArtgenError when the encoder fails.
QByteArray encodePng(const QImage& image);

} // namespace artgen
