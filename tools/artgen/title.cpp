// SPDX-License-Identifier: MIT
#include "title.h"

#include "textpath.h"

#include <QLinearGradient>
#include <QPainterPath>

namespace artgen {

namespace {
// The blackletter capitals sweep into their neighbours; a little air between letters keeps the
// word legible at a glance.
constexpr qreal letterSpacingPercent = 108.0;
// The shadow falls down and to the right, as if lit from the top left.
constexpr QPointF shadowOffset{3.0, 3.0};
constexpr QColor shadowColour{70, 0, 0};
// A dark rim around the letters separates the fill from the shadow.
constexpr qreal rimWidth = 3.0;
constexpr QColor rimColour{95, 0, 8};
// A hairline of light red just inside the edge, the catch-light of an engraved letter.
constexpr qreal edgeWidth = 1.0;
constexpr QColor edgeColour{255, 150, 130, 150};
// The fill runs from a bright, warm red at the top to a deep red at the foot.
constexpr QColor fillTop{255, 96, 72};
constexpr QColor fillMiddle{230, 16, 16};
constexpr QColor fillBottom{128, 0, 0};
constexpr qreal fillMiddleStop = 0.45;
} // namespace

void paintTitle(QPainter& painter, const QFont& font, const QString& title, const QRect& area)
{
    // Room for the rim and the shadow inside the area.
    const qreal margin = rimWidth + shadowOffset.x();
    QFont spaced = font;
    spaced.setLetterSpacing(QFont::PercentageSpacing, letterSpacingPercent);
    const QPainterPath letters = fitCentred(
        textOutline(spaced, title), QRectF(area).adjusted(margin, margin, -margin, -margin));
    const QRectF bounds = letters.boundingRect();

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(area);

    painter.fillPath(letters.translated(shadowOffset), shadowColour);

    painter.strokePath(letters,
                       QPen(rimColour, rimWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    QLinearGradient fill(bounds.topLeft(), bounds.bottomLeft());
    fill.setColorAt(0.0, fillTop);
    fill.setColorAt(fillMiddleStop, fillMiddle);
    fill.setColorAt(1.0, fillBottom);
    painter.fillPath(letters, fill);

    painter.setClipPath(letters, Qt::IntersectClip);
    painter.strokePath(letters.translated(edgeWidth, edgeWidth), QPen(edgeColour, edgeWidth));
    painter.restore();
}

} // namespace artgen
