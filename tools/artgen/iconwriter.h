// SPDX-License-Identifier: MIT
// Encodes palette images as a Windows icon (.ico) or cursor (.cur) file: an ICONDIR, one
// directory entry per image, then each image as a BITMAPINFOHEADER DIB with its AND mask.
#pragma once

#include "indexedimage.h"

#include <QByteArray>
#include <QPoint>
#include <vector>

namespace artgen {

QByteArray encodeIcon(const std::vector<IndexedImage>& images);

// A cursor file holds one image; its hot spot is the pixel that points.
QByteArray encodeCursor(const IndexedImage& image, QPoint hotSpot);

} // namespace artgen
