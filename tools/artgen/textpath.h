// SPDX-License-Identifier: MIT
// Text as outlines: every piece of lettering is painted from a path, so its size and place are
// exact to the pixel and independent of font hinting.
#pragma once

#include <QFont>
#include <QPainterPath>
#include <QRectF>
#include <QString>

namespace artgen {

// The outline of text in the given font (whose size is ignored), at a large design size, with its
// origin anywhere.
QPainterPath textOutline(QFont font, const QString& text);

// Scales and moves a path so that its bounding box fills the target rectangle exactly.
QPainterPath fitToRect(const QPainterPath& path, const QRectF& target);

// Scales a path uniformly so that it fits in the target rectangle, centred in it.
QPainterPath fitCentred(const QPainterPath& path, const QRectF& target);

} // namespace artgen
