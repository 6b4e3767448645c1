// SPDX-License-Identifier: MIT
// The red captions beside the login window's text boxes.
#pragma once

#include <QFont>
#include <QPainter>
#include <QRect>
#include <QString>

namespace artgen {

// Paints the text so that its painted pixels fill exactly the given pixel rectangle: the text's
// outline is stretched to the rectangle and the painting is clipped to it.
void paintCaption(QPainter& painter, const QFont& font, const QString& text, const QRect& pixels);

} // namespace artgen
