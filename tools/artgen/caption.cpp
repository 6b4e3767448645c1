// SPDX-License-Identifier: MIT
#include "caption.h"

#include "textpath.h"

#include <QLinearGradient>

namespace artgen {

namespace {
// The outline reaches this far past the rectangle on every side, so that the outermost rows and
// columns are well covered rather than grazed; the clip then cuts the overhang off.
constexpr qreal overhang = 0.35;
// The same red as the title's, lighter at the top.
constexpr QColor fillTop{255, 52, 40};
constexpr QColor fillBottom{190, 0, 0};
} // namespace

void paintCaption(QPainter& painter, const QFont& font, const QString& text, const QRect& pixels)
{
    const QRectF target = QRectF(pixels).adjusted(-overhang, -overhang, overhang, overhang);
    const QPainterPath outline = fitToRect(textOutline(font, text), target);

    QLinearGradient fill(target.topLeft(), target.bottomLeft());
    fill.setColorAt(0.0, fillTop);
    fill.setColorAt(1.0, fillBottom);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(pixels);
    painter.fillPath(outline, fill);
    painter.restore();
}

} // namespace artgen
